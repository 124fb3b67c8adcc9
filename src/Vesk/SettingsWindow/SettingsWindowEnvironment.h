#pragma once

#include "Vesk/Permissions/Permission.h"
#include "VeskKit/Diagnostics/BuildProfile.h"

#include <QString>

#include <functional>

class QObject;

namespace vesk {

class CalendarService;
class ClipboardService;
class DeskRepository;
class IdleService;
class QuickAppsService;
class ShortcutsService;
class SyncCoordinator;

// What the panes read of the rest of the program and the actions they call on it, as
// plain functions the shell fills from the bridge, the permissions, the notch windows
// and the update service. A flag that is not set reads as the pane's absent
// answer (false, unknown, no service) and an action that is not set does nothing, so
// tests and the snapshot tool pass only what they need. Flags are read when a pane is
// built and again whenever the window re-reads its inputs.
struct SettingsWindowEnvironment {
    // ---- Sound and Display: the "System HUDs" section.
    // Whether the volume and brightness keys can be taken from the desktop here.
    std::function<bool()> canSuppress;
    // Asks for that again, and where it is still refused shows how to free the keys.
    std::function<void()> onRequestAccessibility;
    // Puts the "Replace the system HUD" switch's new value into effect.
    std::function<void()> onSuppressionSwitched;
    // ---- Display: whether the built-in display's brightness can be read.
    std::function<bool()> brightnessAvailable;
    // ---- Connectivity: the Bluetooth permission (absent: unknown) and asking for it.
    std::function<PermissionState()> bluetoothPermission;
    std::function<void()> onRequestBluetooth;
    // No Bluetooth service answers: there is nothing to allow.
    std::function<bool()> bluetoothAbsent;
    // ---- Now Playing: whether a started source reads every player.
    std::function<bool()> isUniversal;
    // ---- General: what the pane reads of the notch windows and asks of them.
    struct NotchWindows {
        // The detected geometry (none: empty).
        std::function<QString()> geometryReport;
        // Reconciles the notches after a notch-size change (none: nothing rebuilt).
        std::function<void()> rebuild;
        // Calls `then` after every rebuild while `receiver` lives (none: never).
        std::function<void(QObject* receiver, std::function<void()> then)> onRebuilt;
    };
    NotchWindows notchWindows;
    // The sync coordinator (none: the sync card shows its switch only).
    std::function<SyncCoordinator*()> syncCoordinator;
    // ---- Calendar: the service (none: no calendars), pushing the filter, a hard refresh
    // followed by the upcoming-event check, and the desktop's calendar settings.
    std::function<CalendarService*()> calendarService;
    std::function<void()> onCalendarFilterChanged;
    std::function<void()> onCalendarRefresh;
    std::function<void()> onOpenCalendarSettings;
    // ---- Idle & Lock: the idle service (none: keep-awake reads off) and its toggle.
    std::function<IdleService*()> idleService;
    std::function<void()> onToggleKeepAwake;
    // ---- About: the build and its updater.
    std::function<bool()> isSandboxed;
    std::function<bool()> updatesAvailable;
    // ---- Widgets: lays the desk out again on every display after the row changed.
    std::function<void()> onLayoutChanged;
    // ---- Clipboard: the history the desk shows (none: the pane shows its header only),
    // and the desk's refresh of its clips after the history was cleared.
    std::function<ClipboardService*()> clipboardService;
    std::function<void()> onClipsChanged;
    // ---- Quick Apps: the desk's pinned applications, and the desk's refresh of them.
    std::function<QuickAppsService*()> quickAppsService;
    std::function<void()> onQuickAppsChanged;
    // ---- Shortcuts: the user's shortcut scripts, the build, and the synced store the
    // desk's shortcuts live in (none until the sync start-up built it).
    std::function<ShortcutsService*()> shortcutsService;
    std::function<BuildProfile()> buildProfile;
    std::function<DeskRepository*()> repository;

    // Reads a flag, or `absent` when it is not set.
    template <typename T> static T read(const std::function<T()>& flag, T absent = T()) {
        return flag ? flag() : absent;
    }
    // Calls an action when it is set.
    static void call(const std::function<void()>& action) {
        if (action) action();
    }
};

} // namespace vesk
