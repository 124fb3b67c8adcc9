// The desk's to-dos: the composer, the order, the count line, a repository behind it.
#include "Vesk/Desk/Widgets/TodoWidget.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/ShortcutsWidget.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetNotice.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHoverEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantAnimation>

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
    std::unique_ptr<DeskWidget> notes(
        DeskWidgetWiring::build(WidgetID::notes, {fixture.model, fixture.environment, nullptr}));
    std::unique_ptr<DeskWidget> chooserBuilt(
        DeskWidgetWiring::build(WidgetID::shortcuts, {fixture.model, fixture.environment, nullptr}));
    auto* shortcuts = qobject_cast<ShortcutsWidget*>(chooserBuilt.get());
    widget->field()->setText(QStringLiteral("  Buy milk \n"));
    Q_EMIT widget->field()->returnPressed();
    ASSERT_EQ(widget->items().size(), 1);
    EXPECT_EQ(widget->items().first().title, QStringLiteral("Buy milk"));
    EXPECT_EQ(widget->countLine(), QStringLiteral("1 left"));
    EXPECT_EQ(widget->unsavedNotice(), nullptr);

    // A store that takes no new page, as on a full disk: the task shows, the field
    // clears, and the widget says it is not saved.
    ASSERT_TRUE(container->connection().exec("PRAGMA max_page_count = 1"));
    widget->field()->setText(QString(8000, u'x'));
    Q_EMIT widget->field()->returnPressed();
    EXPECT_EQ(widget->items().size(), 2);
    EXPECT_TRUE(widget->field()->text().isEmpty());
    ASSERT_NE(widget->unsavedNotice(), nullptr);
    EXPECT_EQ(widget->unsavedNotice()->message(), QStringLiteral("Can't save your to-dos"));
    EXPECT_EQ(widget->unsavedNotice()->detail(), QStringLiteral("Database or disk is full."));
    // Only the to-dos wait: the other synced widgets say nothing, and keep their prompts.
    EXPECT_EQ(notes->findChild<WidgetNotice*>(), nullptr);
    EXPECT_EQ(shortcuts->findChild<WidgetNotice*>(), nullptr);
    ASSERT_NE(shortcuts->emptyState(), nullptr);
    shortcuts->setUnsaved(QStringLiteral("Database or disk is full."));
    EXPECT_NE(shortcuts->emptyState(), nullptr) << "its own notice keeps the prompt too";
    widget->resize(240, 160);
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    widget->show();
    QCoreApplication::sendPostedEvents();
    const WidgetNotice* notice = widget->unsavedNotice();
    EXPECT_GE(notice->height(), notice->heightForWidth(notice->width())) << "the notice is cut";
    ASSERT_FALSE(widget->rows().isEmpty());
    EXPECT_GE(widget->rows().first()->mapTo(widget, QPoint()).y(),
              notice->mapTo(widget, QPoint(0, notice->height())).y())
        << "the rows show below it";
}

// A widget of two rows, "Starred" (a favourite) above "Plain", that records which
// to-do each action got.
class TodoRowsTest : public ::testing::Test {
protected:
    TodoRowsTest() {
        environment.reducesMotion = [this] { return reduceMotion; };
        widget.resize(240, 160);
        widget.setAttribute(Qt::WA_DontShowOnScreen);
        widget.show();
        widget.setItems({starred, plain});
        QCoreApplication::sendPostedEvents();
    }

    QWidget* row(int index) const { return widget.rows().at(index); }
    static void hover(QWidget* row, bool on) {
        QHoverEvent event(on ? QEvent::HoverEnter : QEvent::HoverLeave, QPointF(5, 5), QPointF(5, 5),
                          QPointF(-1, -1));
        QCoreApplication::sendEvent(row, &event);
    }
    static MotionAnimator* hoverMotion(QWidget* row) {
        return row->findChild<MotionAnimator*>(QStringLiteral("hover"));
    }
    // The delete mark's square and the star's beside it while hovered, in the row.
    static QRect deleteSlot(QWidget* row) {
        return QRect(row->width() - 8 - 18, (row->height() - 18) / 2, 18, 18);
    }
    static QRect hoveredStarSlot(QWidget* row) { return deleteSlot(row).translated(-18 - 9, 0); }
    // Whether any pixel of `area` shows `colour`.
    static bool shows(const QImage& image, const QRect& area, const QColor& colour) {
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (near(image.pixelColor(x, y), colour, 24)) return true;
        return false;
    }

    bool reduceMotion = true;
    DeskEnvironment environment;
    TodoSnapshot starred = todo(QStringLiteral("Starred"), false, true, 2);
    TodoSnapshot plain = todo(QStringLiteral("Plain"), false, false, 1);
    QList<QUuid> favorited;
    QList<QUuid> deleted;
    TodoWidget widget{environment,
                      {.onAdd = {},
                       .onToggle = {},
                       .onFavorite = [this](const TodoSnapshot& item) { favorited << item.id; },
                       .onDelete = [this](const TodoSnapshot& item) { deleted << item.id; }}};
};

TEST_F(TodoRowsTest, StarAndDeleteMarkShowByFavouriteAndHoverAndActOnTheRowsId) {
    QImage image = widgetImage(*row(0));
    EXPECT_TRUE(shows(image, deleteSlot(row(0)), Vesk::Accent::x500)) << "a favourite's star shows unhovered";
    image = widgetImage(*row(1));
    EXPECT_FALSE(shows(image, deleteSlot(row(1)), Vesk::Stone::x400))
        << "a plain row shows no marks unhovered";
    EXPECT_FALSE(shows(image, hoveredStarSlot(row(1)), Vesk::Stone::x400));

    hover(row(1), true);
    image = widgetImage(*row(1));
    EXPECT_TRUE(shows(image, deleteSlot(row(1)), Vesk::Stone::x400)) << "the delete mark while hovered";
    EXPECT_TRUE(shows(image, hoveredStarSlot(row(1)), Vesk::Stone::x400)) << "the outline star while hovered";

    QTest::mouseClick(row(1), Qt::LeftButton, {}, hoveredStarSlot(row(1)).center());
    QTest::mouseClick(row(1), Qt::LeftButton, {}, deleteSlot(row(1)).center());
    EXPECT_EQ(favorited, QList<QUuid>{plain.id});
    EXPECT_EQ(deleted, QList<QUuid>{plain.id});

    // "Delete" from the row's secondary-click menu, at once.
    QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(40, 5), row(0)->mapToGlobal(QPoint(40, 5)));
    QCoreApplication::sendEvent(row(0), &menuEvent);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr) << "no menu opened";
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Delete"));
    menu->actions().first()->trigger();
    menu->close();
    EXPECT_EQ(deleted, (QList<QUuid>{plain.id, starred.id}));
}

TEST_F(TodoRowsTest, HoverFadesInOverTheHoverMotionAndJumpsUnderReduceMotion) {
    reduceMotion = false;
    QWidget* plainRow = row(1);
    MotionAnimator* motion = hoverMotion(plainRow);
    ASSERT_NE(motion, nullptr);
    const QPoint ground(3, plainRow->height() / 2);
    hover(plainRow, true);
    ASSERT_TRUE(motion->isRunning());
    motion->animation()->pause();
    motion->animation()->setCurrentTime(0);
    QImage image = widgetImage(*plainRow);
    EXPECT_EQ(pixel(image, ground.x(), ground.y()).alpha(), 0) << "nothing jumps in";
    EXPECT_FALSE(shows(image, deleteSlot(plainRow), Vesk::Stone::x400));

    motion->animation()->setCurrentTime(int(std::ceil(Vesk::Motion::hover.settlingTime() * 1000)));
    image = widgetImage(*plainRow);
    EXPECT_TRUE(near(pixel(image, ground.x(), ground.y()), Vesk::Ink::x850)) << "the hover ground, in full";
    EXPECT_TRUE(shows(image, deleteSlot(plainRow), Vesk::Stone::x400));

    reduceMotion = true;
    hover(plainRow, false);
    EXPECT_FALSE(motion->isRunning());
    image = widgetImage(*plainRow);
    EXPECT_EQ(pixel(image, ground.x(), ground.y()).alpha(), 0) << "under reduced motion it goes at once";
    EXPECT_FALSE(shows(image, hoveredStarSlot(plainRow), Vesk::Stone::x400));
}

} // namespace
