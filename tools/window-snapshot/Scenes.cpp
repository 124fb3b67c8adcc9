#include "Scenes.h"

#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Session/PowerAssertion.h"
#include "VeskPlatform/Session/SessionEvents.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/Idle/IdleService.h"

#include <QDateTime>

#include <memory>

namespace vesk::snapshot {

namespace {

// Keep-awake for the pictures: an inhibitor that is always granted and never reaches the
// session, on a clock stopped at 09:05 today.
class PictureAssertion final : public PowerAssertion {
public:
    bool acquire(const QString&) override { return m_held = true; }
    void release() override { m_held = false; }
    bool isHeld() const override { return m_held; }

private:
    bool m_held = false;
};

class PictureSession final : public SessionEvents {
public:
    void start() override {}
    void stop() override {}
    bool isLocked() const override { return false; }
};

class FivePastNine final : public ClockSource {
public:
    Date now() const override { return Date::fromDateTime(QDateTime(QDate::currentDate(), QTime(9, 5))); }
};

// A keep-awake of thirty minutes started at 09:05; it ends long after the picture.
IdleService& awakeUntilTwentyFiveToTen() {
    static FivePastNine clock;
    static IdleService idle(std::make_unique<PictureAssertion>(), std::make_unique<PictureSession>(), nullptr,
                            &clock);
    if (!idle.isKeepingAwake()) idle.startKeepAwake(KeepAwakeDuration::thirtyMinutes);
    return idle;
}

ClipboardService* clipboard = nullptr;
QuickAppsService* quickApps = nullptr;
QuickAppsService* slowQuickApps = nullptr;
ShortcutsService* shortcuts = nullptr;
ShortcutsService* shortcutsWithoutFolder = nullptr;
ShortcutsService* slowShortcuts = nullptr;

// A machine where everything the panes ask about is there.
void fill(SettingsWindowEnvironment& environment) {
    environment.clipboardService = [] { return clipboard; };
    environment.quickAppsService = [] { return quickApps; };
    environment.shortcutsService = [] { return shortcuts; };
    environment.buildProfile = [] { return BuildProfile(false); };
    environment.canSuppress = [] { return true; };
    environment.brightnessAvailable = [] { return true; };
    environment.bluetoothPermission = [] { return PermissionState::granted; };
    environment.isUniversal = [] { return true; };
}

} // namespace

void setClipboard(ClipboardService* service) {
    clipboard = service;
}

void setQuickApps(QuickAppsService* service) {
    quickApps = service;
}

void setSlowQuickApps(QuickAppsService* service) {
    slowQuickApps = service;
}

void setShortcuts(ShortcutsService* listing, ShortcutsService* withoutFolder, ShortcutsService* slow) {
    shortcuts = listing;
    shortcutsWithoutFolder = withoutFolder;
    slowShortcuts = slow;
}

QList<Scene> scenes() {
    QList<Scene> list;
    const auto filled = [](SettingsStore&, SettingsWindowEnvironment& environment) { fill(environment); };
    for (SettingsPane pane : allCases<SettingsPane>())
        list.append({toRaw(pane), pane, filled, QString()});
    list.append({QStringLiteral("search"), SettingsPane::battery, filled, QStringLiteral("bat")});
    // Special states of the panes, one each.
    const auto add = [&list](const char* name, SettingsPane pane,
                             std::function<void(SettingsStore&, SettingsWindowEnvironment&)> setup) {
        list.append({QString::fromUtf8(name), pane,
                     [setup](SettingsStore& settings, SettingsWindowEnvironment& environment) {
                         fill(environment);
                         setup(settings, environment);
                     },
                     QString()});
    };
    add("sound-no-accessibility", SettingsPane::sound,
        [](SettingsStore&, SettingsWindowEnvironment& e) { e.canSuppress = [] { return false; }; });
    add("sound-replacing", SettingsPane::sound,
        [](SettingsStore& s, SettingsWindowEnvironment&) { s.setSuppressSystemHUD(true); });
    add("display-unavailable", SettingsPane::display,
        [](SettingsStore&, SettingsWindowEnvironment& e) { e.brightnessAvailable = [] { return false; }; });
    add("connectivity-denied", SettingsPane::connectivity, [](SettingsStore&, SettingsWindowEnvironment& e) {
        e.bluetoothPermission = [] { return PermissionState::denied; };
    });
    add("nowPlaying-fallback", SettingsPane::nowPlaying,
        [](SettingsStore&, SettingsWindowEnvironment& e) { e.isUniversal = [] { return false; }; });
    add("fileTray-move", SettingsPane::fileTray,
        [](SettingsStore& s, SettingsWindowEnvironment&) { s.setTrayMoveOnDrop(true); });
    add("idleLock-awake", SettingsPane::idleLock, [](SettingsStore& s, SettingsWindowEnvironment& e) {
        s.setKeepAwakeDuration(KeepAwakeDurationSetting::thirtyMinutes);
        e.idleService = [] { return &awakeUntilTwentyFiveToTen(); };
    });
    add("fileTray-pipelines-off", SettingsPane::fileTray, [](SettingsStore& s, SettingsWindowEnvironment&) {
        s.setPipelineOrder({PipelineID::zip});
        s.setPipelinesEnabled(false);
    });
    add("quickApps-loading", SettingsPane::quickApps, [](SettingsStore&, SettingsWindowEnvironment& e) {
        e.quickAppsService = [] { return slowQuickApps; };
    });
    add("shortcuts-by-name", SettingsPane::shortcuts, [](SettingsStore&, SettingsWindowEnvironment& e) {
        e.shortcutsService = [] { return shortcutsWithoutFolder; };
    });
    add("shortcuts-loading", SettingsPane::shortcuts, [](SettingsStore&, SettingsWindowEnvironment& e) {
        e.shortcutsService = [] { return slowShortcuts; };
    });
    add("shortcuts-sandboxed", SettingsPane::shortcuts, [](SettingsStore&, SettingsWindowEnvironment& e) {
        e.buildProfile = [] { return BuildProfile(true); };
    });
    add("desk-overflow", SettingsPane::desk, [](SettingsStore& s, SettingsWindowEnvironment&) {
        WidgetSet all;
        WidgetCells wide;
        for (WidgetID id : allCases<WidgetID>()) {
            all.insert(id);
            wide.insert(id, 6);
        }
        s.setEnabledWidgets(all);
        s.setWidgetCells(wide);
    });
    return list;
}

} // namespace vesk::snapshot
