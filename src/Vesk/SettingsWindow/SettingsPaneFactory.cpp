#include "Vesk/SettingsWindow/SettingsPaneFactory.h"

#include "Vesk/Menus/StatusItem.h"
#include "Vesk/SettingsWindow/Panes/AboutPane.h"
#include "Vesk/SettingsWindow/Panes/CalendarPane.h"
#include "Vesk/SettingsWindow/Panes/ClipboardPane.h"
#include "Vesk/SettingsWindow/Panes/DeskPane.h"
#include "Vesk/SettingsWindow/Panes/FileTrayPane.h"
#include "Vesk/SettingsWindow/Panes/GeneralPane.h"
#include "Vesk/SettingsWindow/Panes/IdleLockPane.h"
#include "Vesk/SettingsWindow/Panes/QuickAppsPane.h"
#include "Vesk/SettingsWindow/Panes/ShortcutsPane.h"
#include "Vesk/SettingsWindow/Panes/SoundPanes.h"
#include "Vesk/SettingsWindow/Panes/StatusPanes.h"

#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace vesk {

SettingsPaneFactory SettingsPaneFactory::standard() {
    using Env = SettingsWindowEnvironment;
    SettingsPaneFactory factory;
    // One entry per pane: the flags it is built with, and how.
    factory.set(SettingsPane::general,
                {{}, [](const PaneContext& c) {
                     return makeGeneralPane(
                         c.settings, c.environment.notchWindows,
                         Env::read<SyncCoordinator*>(c.environment.syncCoordinator, nullptr));
                 }});
    factory.set(SettingsPane::battery,
                {{}, [](const PaneContext& c) { return makeBatteryPane(c.settings); }});
    factory.set(SettingsPane::connectivity,
                {[](const Env& e) {
                     return PaneInputs{int(Env::read(e.bluetoothPermission, PermissionState::unknown)),
                                       Env::read(e.bluetoothAbsent)};
                 },
                 [](const PaneContext& c) {
                     const auto& e = c.environment;
                     return makeConnectivityPane(
                         c.settings, PermissionState(c.inputs.value(0).toInt()),
                         [action = e.onRequestBluetooth] { Env::call(action); }, c.inputs.value(1).toBool());
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
                         [action = c.environment.onRequestAccessibility] { Env::call(action); },
                         [action = c.environment.onSuppressionSwitched] { Env::call(action); });
                 }});
    factory.set(SettingsPane::sound,
                {[](const Env& e) { return PaneInputs{Env::read(e.canSuppress)}; },
                 [](const PaneContext& c) {
                     return makeSoundPane(
                         c.settings, c.inputs.value(0).toBool(),
                         [action = c.environment.onRequestAccessibility] { Env::call(action); },
                         [action = c.environment.onSuppressionSwitched] { Env::call(action); });
                 }});
    factory.set(
        SettingsPane::nowPlaying,
        {[](const Env& e) { return PaneInputs{Env::read(e.isUniversal)}; },
         [](const PaneContext& c) { return makeNowPlayingPane(c.settings, c.inputs.value(0).toBool()); }});
    factory.set(SettingsPane::fileTray,
                {{}, [](const PaneContext& c) { return makeFileTrayPane(c.settings); }});
    factory.set(SettingsPane::calendar, {{}, [](const PaneContext& c) {
                                             const auto& e = c.environment;
                                             return makeCalendarPane(
                                                 c.settings,
                                                 Env::read<CalendarService*>(e.calendarService, nullptr),
                                                 [a = e.onCalendarFilterChanged] { Env::call(a); },
                                                 [a = e.onCalendarRefresh] { Env::call(a); },
                                                 [a = e.onOpenCalendarSettings] { Env::call(a); });
                                         }});
    factory.set(SettingsPane::idleLock,
                {{}, [](const PaneContext& c) {
                     const auto& e = c.environment;
                     return makeIdleLockPane(c.settings, Env::read<IdleService*>(e.idleService, nullptr),
                                             [action = e.onToggleKeepAwake] { Env::call(action); });
                 }});
    factory.set(SettingsPane::about,
                {[](const Env& e) {
                     return PaneInputs{Env::read(e.isSandboxed), Env::read(e.updatesAvailable)};
                 },
                 [](const PaneContext& c) {
                     AboutFacts facts;
                     facts.version = aboutVersion(QCoreApplication::applicationVersion());
                     facts.isSandboxed = c.inputs.value(0).toBool();
                     facts.updatesAvailable = c.inputs.value(1).toBool();
                     facts.website = QStringLiteral(VESK_WEBSITE);
                     facts.icon = QGuiApplication::windowIcon().isNull()
                                      ? Symbols::icon(StatusItem::symbolName(), Vesk::Stone::x100)
                                      : QGuiApplication::windowIcon();
                     return makeAboutPane(facts);
                 }});
    factory.set(SettingsPane::desk,
                {{}, [](const PaneContext& c) {
                     return makeDeskPane(c.settings,
                                         [action = c.environment.onLayoutChanged] { Env::call(action); });
                 }});
    factory.set(SettingsPane::clipboard,
                {{}, [](const PaneContext& c) -> QWidget* {
                     const auto& e = c.environment;
                     ClipboardService* service = e.clipboardService ? e.clipboardService() : nullptr;
                     if (!service) return nullptr;
                     return makeClipboardPane(c.settings, *service,
                                              [action = e.onClipsChanged] { Env::call(action); });
                 }});
    factory.set(SettingsPane::quickApps,
                {{}, [](const PaneContext& c) -> QWidget* {
                     const auto& e = c.environment;
                     QuickAppsService* service = e.quickAppsService ? e.quickAppsService() : nullptr;
                     if (!service) return nullptr;
                     return makeQuickAppsPane(*service,
                                              [action = e.onQuickAppsChanged] { Env::call(action); });
                 }});
    // Built again when the repository arrives (the shell refreshes the inputs then).
    factory.set(
        SettingsPane::shortcuts,
        {[](const Env& e) {
             return PaneInputs{QVariant::fromValue(quintptr(e.repository ? e.repository() : nullptr))};
         },
         [](const PaneContext& c) -> QWidget* {
             const auto& e = c.environment;
             ShortcutsService* service = e.shortcutsService ? e.shortcutsService() : nullptr;
             if (!service) return nullptr;
             return new ShortcutsPane(*service, e.buildProfile ? e.buildProfile() : BuildProfile::current(),
                                      e.repository ? e.repository() : nullptr);
         }});
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
