#include "Vesk/Menus/StatusItem.h"

#include "support/EventLoop.h"

#include <QAction>
#include <QMenu>
#include <QProcess>
#include <QSystemTrayIcon>

#include <gtest/gtest.h>

namespace vesk {
namespace {

bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

QStringList titles(const QMenu* menu) {
    QStringList list;
    for (const QAction* action : menu->actions())
        list.append(action->isSeparator() ? QStringLiteral("-") : action->text());
    return list;
}

// The status item appears in a real tray host on the X display and its menu opens there.
TEST(StatusItemX11Test, AppearsInTheTrayAndItsMenuOpens) {
    MenuActions actions;
    int exports = 0;
    actions.exportDiagnostics = [&exports] { ++exports; };
    actions.quit = [] {};

    ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable()) << "another tray host is running";
    EXPECT_EQ(StatusItem::createIfTrayAvailable({}, actions), nullptr);

    QProcess tray;
    tray.setProgram(QStringLiteral("/usr/bin/trayer"));
    tray.setArguments({QStringLiteral("--edge"), QStringLiteral("top"), QStringLiteral("--align"),
                       QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                       QStringLiteral("--width"), QStringLiteral("120")});
    tray.start();
    ASSERT_TRUE(tray.waitForStarted());
    const auto stopTray = qScopeGuard([&tray] {
        tray.terminate();
        if (!tray.waitForFinished(3000)) tray.kill();
    });
    ASSERT_TRUE(test::processEventsUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }))
        << "the tray host never came up";

    std::unique_ptr<StatusItem> item = StatusItem::createIfTrayAvailable({}, actions);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->trayIcon()->toolTip(), QStringLiteral("VeskNotch"));
    ASSERT_TRUE(test::processEventsUntil([&] { return item->trayIcon()->geometry().isValid(); }))
        << "the icon was not docked";

    // A right click on the docked icon, as the user makes it.
    QMenu* menu = item->trayIcon()->contextMenu();
    ASSERT_EQ(menu, item->menu());
    // The tray host may still be placing the icon: click where it is now, until the menu opens.
    for (int attempt = 0; attempt < 10 && !menu->isVisible(); ++attempt) {
        const QPoint icon = item->trayIcon()->geometry().center();
        ASSERT_TRUE(
            xdotool({"mousemove", QString::number(icon.x()), QString::number(icon.y()), "click", "3"}));
        test::processEventsUntil([menu] { return menu->isVisible(); }, 3000);
    }
    ASSERT_TRUE(menu->isVisible()) << "the menu never opened";
    EXPECT_EQ(titles(menu), (QStringList{"Permissions", "-", "Export Diagnostics…", "Toggle Desk", "-",
                                         "Welcome to VeskNotch…", "Settings…", "-", "Quit VeskNotch"}));

    QAction* exportEntry = menu->actions().at(2);
    const QPoint entry = menu->mapToGlobal(menu->actionGeometry(exportEntry).center());
    ASSERT_TRUE(xdotool({"mousemove", QString::number(entry.x()), QString::number(entry.y())}));
    ASSERT_TRUE(test::processEventsUntil([&] { return menu->activeAction() == exportEntry; }))
        << "the pointer never reached the entry";
    ASSERT_TRUE(xdotool({"click", "1"}));
    ASSERT_TRUE(test::processEventsUntil([&exports] { return exports == 1; }));
    EXPECT_FALSE(menu->isVisible());
}

} // namespace
} // namespace vesk
