// The desk's shortcuts: the prompt without any, a button per shortcut.
#include "Vesk/Desk/Widgets/ShortcutsWidget.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Desk/DeskFixture.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QMouseEvent>

using namespace vesk;
using namespace vesk::test;

namespace {

ShortcutSnapshot shortcut(const QString& name, std::optional<QString> customName) {
    return ShortcutSnapshot{.id = QUuid::createUuid(),
                            .shortcutName = name,
                            .customName = std::move(customName),
                            .symbol = QStringLiteral("sparkles"),
                            .textInput = QStringLiteral("input")};
}

// The brightest channel in a rectangle of the image.
int brightest(const QImage& image, const QRect& area) {
    int best = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            best = std::max(best, image.pixelColor(x, y).lightness());
    return best;
}

TEST(ShortcutsWidgetTest, RowsShowTheirNameAndRunTheirShortcut) {
    DeskEnvironment environment;
    QList<ShortcutSnapshot> ran;
    ShortcutsWidget widget(environment,
                           {.onRun = [&](const ShortcutSnapshot& s) { ran << s; }, .onConfigure = {}});
    widget.resize(220, 120);
    widget.setAttribute(Qt::WA_DontShowOnScreen);
    const QList<ShortcutSnapshot> items{shortcut(QStringLiteral("Morning"), std::nullopt),
                                        shortcut(QStringLiteral("Hidden"), QString())};
    widget.setItems(items);
    widget.show();
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(widget.emptyState(), nullptr);
    ASSERT_EQ(widget.rows().size(), 2);
    EXPECT_EQ(widget.rows()[0]->accessibleName(), QStringLiteral("Morning"));
    EXPECT_EQ(widget.rows()[1]->accessibleName(), QString()) << "an empty custom name shows nothing";

    const QImage image = widgetImage(widget);
    for (int i = 0; i < 2; ++i) {
        QWidget* row = widget.rows()[i];
        const QRect name(row->mapTo(&widget, QPoint(7 + 18, 2)), QSize(60, row->height() - 4));
        EXPECT_EQ(brightest(image, name) > 150, i == 0) << "row " << i;
        const QPoint ground = row->mapTo(&widget, QPoint(row->width() - 4, row->height() / 2));
        EXPECT_TRUE(near(pixel(image, ground.x(), ground.y()), Vesk::Ink::x900, 4)) << "row " << i;
    }

    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(30, 5), QPointF(30, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget.rows()[1], &release);
    EXPECT_EQ(ran, QList<ShortcutSnapshot>{items[1]});
}

TEST(ShortcutsWidgetTest, WithoutShortcutsTheButtonOpensTheShortcutsPane) {
    DeskFixture fixture;
    QStringList posted;
    QObject receiver;
    for (const QString& name : {notchNotifications::veskOpenSettings, notchNotifications::veskOpenShortcuts})
        NotificationCenter::defaultCenter().observe(name, &receiver,
                                                    [&posted, name](const Notification&) { posted << name; });
    std::unique_ptr<DeskWidget> built(
        DeskWidgetWiring::build(WidgetID::shortcuts, {fixture.model, fixture.environment, nullptr}));
    auto* widget = qobject_cast<ShortcutsWidget*>(built.get());
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->emptyState(), nullptr) << "no repository: no shortcuts";
    ASSERT_NE(widget->emptyState()->actionButton(), nullptr);
    EXPECT_EQ(widget->emptyState()->actionButton()->text(), QStringLiteral("Choose Shortcuts"));
    widget->emptyState()->actionButton()->click();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(posted,
              (QStringList{notchNotifications::veskOpenSettings, notchNotifications::veskOpenShortcuts}));
}

} // namespace
