// The settings window's side of the app delegate: the window, and what its panes act on.
#include "Vesk/Shell/AppDelegate.h"

#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Menus/MenuCommands.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "Vesk/Screens/SettingsNotchWindows.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "Vesk/Shell/NotchSurface.h"
#include "Vesk/Updates/UpdateService.h"
#include "VeskSync/SyncCoordinator.h"

#include <QPointer>

namespace vesk {

void AppDelegate::openSettings() {
    if (!m_settingsWindow) {
        m_settingsWindow =
            std::make_unique<SettingsWindow>(*m_settings, m_settings->defaults(), m_activationHolds.get(),
                                             settingsEnvironment(), initialSettingsPane());
        // A permission or a facility that comes or goes shows in the open pane.
        if (ActivityBridge* bridge = m_bridge->bridge()) {
            SettingsRootView* root = m_settingsWindow->root();
            connect(bridge, &ActivityBridge::bluetoothStatusChanged, root,
                    &SettingsRootView::refreshPaneInputs);
            connect(&bridge->brightness(), &BrightnessService::availabilityChanged, root,
                    &SettingsRootView::refreshPaneInputs);
            connect(&bridge->bluetooth(), &BluetoothService::reachabilityChanged, root,
                    &SettingsRootView::refreshPaneInputs);
            connect(bridge, &ActivityBridge::eventTapStatusChanged, root,
                    &SettingsRootView::refreshPaneInputs);
        }
    }
    m_settingsWindow->present();
}

SettingsWindowEnvironment AppDelegate::settingsEnvironment() {
    SettingsWindowEnvironment environment;
    // The desk panes act on the window controller's services.
    if (NotchWindowController* controller = m_notchController->controller()) {
        const QPointer<NotchWindowController> desk(controller);
        environment.onLayoutChanged = [desk] {
            if (desk) desk->relayoutWidgets();
        };
        environment.clipboardService = [desk]() -> ClipboardService* {
            return desk ? &desk->clipboardService() : nullptr;
        };
        environment.onClipsChanged = [desk] {
            if (desk) desk->refreshClips();
        };
        environment.quickAppsService = [desk]() -> QuickAppsService* {
            return desk ? &desk->quickAppsService() : nullptr;
        };
        environment.onQuickAppsChanged = [desk] {
            if (desk) desk->refreshQuickApps();
        };
        environment.shortcutsService = [desk]() -> ShortcutsService* {
            return desk ? &desk->shortcutsService() : nullptr;
        };
        environment.repository = [desk]() -> DeskRepository* { return desk ? desk->repository() : nullptr; };
    }
    // Over stand-ins the panes take their absent answers.
    ActivityBridge* bridge = m_bridge->bridge();
    if (!bridge) return environment;
    const QPointer<ActivityBridge> services(bridge);
    const QPointer<AppDelegate> weak(this);
    environment.canSuppress = [services] { return services && services->eventTap().hasAccessibility(); };
    environment.onRequestAccessibility = [weak] {
        if (!weak || !weak->m_menus) return;
        // Linux has no prompt: a fresh check, then the desktop's page where the keys are freed.
        weak->m_menus->allowKeyInterception(weak->m_settingsWindow.get());
        if (weak->m_settingsWindow) weak->m_settingsWindow->root()->refreshPaneInputs();
    };
    environment.onSuppressionSwitched = [weak] {
        if (weak && weak->m_menus) weak->m_menus->restartEventTap();
    };
    environment.brightnessAvailable = [services] { return services && services->brightness().isAvailable(); };
    environment.bluetoothPermission = [weak] {
        return weak && weak->m_permissions ? weak->m_permissions->state(Permission::bluetooth)
                                           : PermissionState::unknown;
    };
    environment.onRequestBluetooth = [weak] {
        if (weak && weak->m_menus) weak->m_menus->allowBluetooth(weak->m_settingsWindow.get());
    };
    environment.bluetoothAbsent = [services] { return services && services->bluetooth().isAbsent(); };
    environment.isUniversal = [services] { return services && services->isUniversalNowPlaying(); };
    environment.notchWindows = settingsNotchWindows([weak]() -> NotchWindowController* {
        return weak && weak->m_notchController ? weak->m_notchController->controller() : nullptr;
    });
    environment.syncCoordinator = [weak]() -> SyncCoordinator* {
        return weak ? weak->m_sync.get() : nullptr;
    };
    environment.calendarService = [services]() -> CalendarService* {
        return services ? &services->calendar() : nullptr;
    };
    environment.onCalendarFilterChanged = [services] {
        if (services) services->applyCalendarFilter();
    };
    environment.onCalendarRefresh = [services] {
        if (services) services->refreshCalendar();
    };
    environment.onOpenCalendarSettings = [weak] {
        if (weak && weak->m_permissions)
            weak->m_permissions->openSettings(Permission::calendar, weak->m_settingsWindow.get());
    };
    environment.idleService = [services]() -> IdleService* { return services ? &services->idle() : nullptr; };
    environment.onToggleKeepAwake = [services] {
        if (services) services->toggleKeepAwake();
    };
    environment.isSandboxed = [services] { return services && services->profile().isSandboxed; };
    environment.updatesAvailable = [weak] {
        return weak && weak->m_updates && weak->m_updates->isAvailable();
    };
    environment.buildProfile = [services] {
        return services ? services->profile() : BuildProfile::current();
    };
    return environment;
}

} // namespace vesk
