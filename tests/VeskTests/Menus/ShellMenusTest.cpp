#include "Vesk/Menus/ShellMenus.h"

#include "support/EventLoop.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>

namespace vesk {
namespace {

// One line per entry: the title, its key equivalent after a tab, " [x]" when checked,
// " (off)" when disabled; "-" for a separator; a submenu's entries indented below it.
QStringList describe(const QMenu* menu, const QString& indent = {}) {
    QStringList lines;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator()) {
            lines.append(indent + QStringLiteral("-"));
            continue;
        }
        QString line = indent + action->text();
        if (!action->shortcut().isEmpty()) line += QLatin1Char('\t') + action->shortcut().toString();
        if (action->isChecked()) line += QStringLiteral(" [x]");
        if (!action->isEnabled()) line += QStringLiteral(" (off)");
        lines.append(line);
        if (action->menu()) lines += describe(action->menu(), indent + QStringLiteral("  "));
    }
    return lines;
}

QAction* find(const QMenu* menu, const QString& title) {
    for (QAction* action : menu->actions()) {
        if (action->text() == title) return action;
        if (action->menu())
            if (QAction* inner = find(action->menu(), title)) return inner;
    }
    return nullptr;
}

struct Recorder {
    QStringList calls;
    bool suppressing = false;

    MenuActions actions() {
        MenuActions a;
        auto note = [this](const char* name) {
            return [this, name] { calls.append(QString::fromLatin1(name)); };
        };
        a.requestBluetooth = note("requestBluetooth");
        a.requestInputMonitoring = note("requestInputMonitoring");
        a.openPrivacyPane = [this](const QString& anchor) { calls.append(QStringLiteral("pane ") + anchor); };
        a.toggleSuppression = [this] {
            suppressing = !suppressing;
            return suppressing;
        };
        a.isSuppressingHUDs = [this] { return suppressing; };
        a.toggleDesk = note("toggleDesk");
        a.toggleKeepAwake = note("toggleKeepAwake");
        a.checkForUpdates = note("checkForUpdates");
        a.exportDiagnostics = note("exportDiagnostics");
        a.showOnboarding = note("showOnboarding");
        a.openSettings = note("openSettings");
        a.quit = note("quit");
        return a;
    }
};

const QStringList permissionsMenu(bool hudOn) {
    return {
        QStringLiteral("Permissions"),
        QStringLiteral("  Enable Bluetooth Access…"),
        QStringLiteral("  Enable Key Monitoring…"),
        QStringLiteral("  Key Interception…"),
        QStringLiteral("  Key Monitoring…"),
        QStringLiteral("  Bluetooth (Desktop Settings)…"),
        QStringLiteral("  -"),
        hudOn ? QStringLiteral("  Replace System HUDs [x]") : QStringLiteral("  Replace System HUDs"),
    };
}

TEST(ShellMenusTest, StatusMenuEntriesInOrder) {
    for (const bool updates : {false, true}) {
        for (const bool hudOn : {false, true}) {
            Recorder recorder;
            recorder.suppressing = hudOn;
            MenuActions actions = recorder.actions();
            if (hudOn) actions.showOnboarding = nullptr; // its window does not exist yet
            std::unique_ptr<QMenu> menu(buildStatusMenu({updates}, actions));
            QStringList expected = permissionsMenu(hudOn);
            expected += {QStringLiteral("-"), QStringLiteral("Export Diagnostics…")};
            if (updates) expected += QStringLiteral("Check for Updates…");
            expected += {QStringLiteral("Toggle Desk"),
                         QStringLiteral("-"),
                         hudOn ? QStringLiteral("Welcome to VeskNotch… (off)")
                               : QStringLiteral("Welcome to VeskNotch…"),
                         QStringLiteral("Settings…\tCtrl+,"),
                         QStringLiteral("-"),
                         QStringLiteral("Quit VeskNotch\tCtrl+Q")};
            EXPECT_EQ(describe(menu.get()), expected) << "updates " << updates << " hud " << hudOn;
        }
    }
}

// Each action runs once the menu's own handling of the choice is over, from the event
// loop, even when the menu is gone by then (the notch's menu deletes itself on hiding).
TEST(ShellMenusTest, EntriesCallTheirActionsAfterTheMenu) {
    Recorder recorder;
    std::unique_ptr<QMenu> status(buildStatusMenu({true}, recorder.actions()));
    for (const char* title :
         {"Enable Bluetooth Access…", "Enable Key Monitoring…", "Key Interception…", "Key Monitoring…",
          "Bluetooth (Desktop Settings)…", "Export Diagnostics…", "Check for Updates…", "Toggle Desk",
          "Welcome to VeskNotch…", "Settings…", "Quit VeskNotch"})
        find(status.get(), QString::fromUtf8(title))->trigger();
    std::unique_ptr<QMenu> context(
        buildNotchContextMenu({true, true, false, false, false}, recorder.actions()));
    for (const char* title : {"Close Desk", "Allow Sleep"})
        find(context.get(), QString::fromUtf8(title))->trigger();
    EXPECT_TRUE(recorder.calls.isEmpty()) << qPrintable(recorder.calls.join(' '));
    status.reset();
    context.reset();
    test::processEventsUntil([&] { return recorder.calls.size() >= 13; }, 2000);
    EXPECT_EQ(recorder.calls,
              (QStringList{"requestBluetooth", "requestInputMonitoring", "pane Privacy_Accessibility",
                           "pane Privacy_ListenEvent", "pane Privacy_Bluetooth", "exportDiagnostics",
                           "checkForUpdates", "toggleDesk", "showOnboarding", "openSettings", "quit",
                           "toggleDesk", "toggleKeepAwake"}));
}

// The setting may change in the settings window while the menu is closed; a refused
// turn-on leaves the mark off.
TEST(ShellMenusTest, HudCheckMarkFollowsTheSetting) {
    Recorder recorder;
    MenuActions actions = recorder.actions();
    bool allowed = false;
    actions.toggleSuppression = [&] { return recorder.suppressing = allowed && !recorder.suppressing; };
    std::unique_ptr<QMenu> menu(buildStatusMenu({}, actions));
    QAction* hud = find(menu.get(), QStringLiteral("Replace System HUDs"));

    const auto choose = [&] {
        hud->trigger();
        QCoreApplication::processEvents();
    };
    recorder.suppressing = true;
    Q_EMIT menu->aboutToShow();
    EXPECT_TRUE(hud->isChecked());
    choose();
    EXPECT_FALSE(hud->isChecked());
    choose();
    EXPECT_FALSE(hud->isChecked());
    allowed = true;
    choose();
    EXPECT_TRUE(hud->isChecked());
}

TEST(ShellMenusTest, ContextMenuForEachState) {
    struct Case {
        ContextMenuState state;
        QStringList expected;
    };
    const QString quit = QStringLiteral("Quit VeskNotch\tCtrl+Q");
    const QString settings = QStringLiteral("Settings…\tCtrl+,");
    const std::vector<Case> cases{
        {{false, false, false, false, false}, {"Open Desk", "Keep Awake", settings, "-", quit}},
        {{true, true, false, false, false}, {"Close Desk", "Allow Sleep [x]", settings, "-", quit}},
        {{false, false, true, true, false},
         {"Open Desk", "Keep Awake", settings, "Check for Updates…", "-", quit}},
        {{false, false, true, false, false},
         {"Open Desk", "Keep Awake", settings, "Check for Updates… (off)", "-", quit}},
        // Without a status item the rest of the status menu follows, in its order.
        {{true, false, false, false, true},
         QStringList{"Close Desk", "Keep Awake", settings, "-", quit, "-"} + permissionsMenu(false) +
             QStringList{"Export Diagnostics…", "Welcome to VeskNotch…"}},
    };
    for (const Case& c : cases) {
        Recorder recorder;
        std::unique_ptr<QMenu> menu(buildNotchContextMenu(c.state, recorder.actions()));
        EXPECT_EQ(describe(menu.get()), c.expected);
    }
}

} // namespace
} // namespace vesk
