#include "Scenes.h"

#include "VeskKit/Settings/SettingsStore.h"

namespace vesk::snapshot {

namespace {

// A machine where everything the panes ask about is there.
void fill(SettingsWindowEnvironment& environment) {
    environment.canSuppress = [] { return true; };
    environment.brightnessAvailable = [] { return true; };
    environment.bluetoothPermission = [] { return PermissionState::granted; };
    environment.isUniversal = [] { return true; };
}

} // namespace

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
    add("fileTray-pipelines-off", SettingsPane::fileTray, [](SettingsStore& s, SettingsWindowEnvironment&) {
        s.setPipelineOrder({PipelineID::zip});
        s.setPipelinesEnabled(false);
    });
    return list;
}

} // namespace vesk::snapshot
