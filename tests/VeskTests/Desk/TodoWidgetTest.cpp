// The desk's to-dos: the composer, the order, the count line, a repository behind it.
#include "Vesk/Desk/Widgets/TodoWidget.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

using namespace vesk;
using namespace vesk::test;

namespace {

TodoSnapshot todo(const QString& title, bool done, bool favorite, double created) {
    return TodoSnapshot{QUuid::createUuid(), title, done, favorite, Date{created}};
}

QStringList titles(const QList<TodoSnapshot>& items) {
    QStringList result;
    for (const TodoSnapshot& item : items)
        result << item.title;
    return result;
}

TEST(TodoWidgetTest, OrderAndCountLine) {
    const QList<TodoSnapshot> items{todo("doneFavorite", true, true, 5),  todo("open", false, false, 9),
                                    todo("openFavorite", false, true, 1), todo("done", true, false, 8),
                                    todo("tieA", false, false, 3),        todo("tieB", false, false, 3)};
    EXPECT_EQ(titles(TodoWidget::ordered(items)),
              (QStringList{"openFavorite", "open", "tieA", "tieB", "doneFavorite", "done"}));
    EXPECT_EQ(TodoWidget::remainingText({}), QString());
    EXPECT_EQ(TodoWidget::remainingText({todo("a", true, false, 1)}), QString());
    EXPECT_EQ(TodoWidget::remainingText({todo("a", false, false, 1), todo("b", true, false, 1)}),
              QStringLiteral("1 left"));
    EXPECT_EQ(TodoWidget::remainingText(items), QStringLiteral("4 left"));
}

TEST(TodoWidgetTest, ReturnPassesTheDraftAsTypedAndKeepsTheField) {
    DeskEnvironment environment;
    QStringList added;
    TodoWidget widget(environment, {.onAdd = [&](const QString& text) { added << text; },
                                    .onToggle = {},
                                    .onFavorite = {},
                                    .onDelete = {}});
    widget.resize(240, 160);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    widget.show();
    QApplication::setActiveWindow(&widget);
    ASSERT_NE(widget.emptyState(), nullptr);
    EXPECT_TRUE(widget.countLine().isEmpty());

    QTest::mouseClick(widget.composer(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_TRUE(widget.field()->hasFocus()) << "a press on the composer's margin focuses the field";
    QTest::keyClicks(widget.field(), QStringLiteral("  "));
    QTest::keyClick(widget.field(), Qt::Key_Return);
    EXPECT_EQ(added, QStringList{QStringLiteral("  ")});
    EXPECT_TRUE(widget.field()->text().isEmpty());
    EXPECT_TRUE(widget.field()->hasFocus());

    widget.setItems({todo(QStringLiteral("Done thing"), true, false, 1)});
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(widget.rows().size(), 1);
    const QImage image = widgetImage(widget);
    QWidget* row = widget.rows().first();
    const QPoint strike = row->mapTo(&widget, QPoint(8 + 20 + 9 + 6, row->height() / 2));
    EXPECT_TRUE(near(pixel(image, strike.x(), strike.y()), Vesk::Stone::x400, 40))
        << "the title is struck through";
}

TEST(TodoWidgetTest, ATaskTypedWithBlanksBecomesARowWithout) {
    QTemporaryDir folder;
    DeskFixture fixture;
    const std::shared_ptr<ModelContainer> container = ModelContainer::open(folder.path() + "/Vesk.store");
    ASSERT_TRUE(container);
    DeskRepository repository(std::make_shared<ModelContext>(container), QStringLiteral("test"));
    fixture.model.setRepository(&repository);
    std::unique_ptr<DeskWidget> built(
        DeskWidgetWiring::build(WidgetID::todos, {fixture.model, fixture.environment, nullptr}));
    auto* widget = qobject_cast<TodoWidget*>(built.get());
    ASSERT_NE(widget, nullptr);
    widget->field()->setText(QStringLiteral("  Buy milk \n"));
    Q_EMIT widget->field()->returnPressed();
    ASSERT_EQ(widget->items().size(), 1);
    EXPECT_EQ(widget->items().first().title, QStringLiteral("Buy milk"));
    EXPECT_EQ(widget->countLine(), QStringLiteral("1 left"));
}

} // namespace
