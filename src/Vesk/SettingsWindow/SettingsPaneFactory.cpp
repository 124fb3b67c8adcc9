#include "Vesk/SettingsWindow/SettingsPaneFactory.h"

#include "Vesk/SettingsWindow/Panes/FileTrayPane.h"
#include "Vesk/SettingsWindow/Panes/SoundPanes.h"
#include "Vesk/SettingsWindow/Panes/StatusPanes.h"

namespace vesk {

SettingsPaneFactory SettingsPaneFactory::standard() {
    using Env = SettingsWindowEnvironment;
    SettingsPaneFactory factory;
    // One entry per pane: the flags it is built with, and how.
    factory.set(SettingsPane::battery,
                {{}, [](const PaneContext& c) { return makeBatteryPane(c.settings); }});
    factory.set(SettingsPane::connectivity,
                {[](const Env& e) {
                     return PaneInputs{int(Env::read(e.bluetoothPermission, PermissionState::unknown))};
                 },
                 [](const PaneContext& c) {
                     const auto& e = c.environment;
                     return makeConnectivityPane(c.settings, PermissionState(c.inputs.value(0).toInt()),
                                                 [action = e.onRequestBluetooth] { Env::call(action); });
                 }});
    // Linux has no named do-not-disturb modes: the generic pill, always.
    factory.set(SettingsPane::focus, {{}, [](const PaneContext& c) {
                                          return makeFocusPane(c.settings, /*hasRichIdentity=*/false);
                                      }});
    factory.set(SettingsPane::display,
                {[](const Env& e) {
                     return PaneInputs{Env::read(e.brightnessAvailable), Env::read(e.canSuppress)};
                 },
                 [](const PaneContext& c) {
                     return makeDisplayPane(
                         c.settings, c.inputs.value(0).toBool(), c.inputs.value(1).toBool(),
                         [action = c.environment.onRequestAccessibility] { Env::call(action); });
                 }});
    factory.set(SettingsPane::sound,
                {[](const Env& e) { return PaneInputs{Env::read(e.canSuppress)}; },
                 [](const PaneContext& c) {
                     return makeSoundPane(
                         c.settings, c.inputs.value(0).toBool(),
                         [action = c.environment.onRequestAccessibility] { Env::call(action); });
                 }});
    factory.set(
        SettingsPane::nowPlaying,
        {[](const Env& e) { return PaneInputs{Env::read(e.isUniversal)}; },
         [](const PaneContext& c) { return makeNowPlayingPane(c.settings, c.inputs.value(0).toBool()); }});
    factory.set(SettingsPane::fileTray,
                {{}, [](const PaneContext& c) { return makeFileTrayPane(c.settings); }});
    return factory;
}

PaneInputs SettingsPaneFactory::inputs(SettingsPane pane,
                                       const SettingsWindowEnvironment& environment) const {
    const auto it = m_entries.constFind(pane);
    if (it == m_entries.constEnd() || !it->inputs) return {};
    return it->inputs(environment);
}

QWidget* SettingsPaneFactory::build(SettingsPane pane, SettingsStore& settings,
                                    const SettingsWindowEnvironment& environment,
                                    const PaneInputs& inputs) const {
    const auto it = m_entries.constFind(pane);
    if (it == m_entries.constEnd() || !it->build) return nullptr;
    return it->build(PaneContext{settings, environment, inputs});
}

} // namespace vesk
