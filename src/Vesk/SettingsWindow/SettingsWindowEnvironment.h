#pragma once

#include "Vesk/Permissions/Permission.h"

#include <functional>

namespace vesk {

// What the panes read of the rest of the program and the actions they call on it, as
// plain functions the shell fills from the bridge, the permissions, the notch window
// controller and the update service. A flag that is not set reads as the pane's absent
// answer (false, unknown, no service) and an action that is not set does nothing, so
// tests and the snapshot tool pass only what they need. Flags are read when a pane is
// built and again whenever the window re-reads its inputs.
struct SettingsWindowEnvironment {
    // ---- Sound and Display: the "System HUDs" section.
    // Whether the volume and brightness keys can be taken from the desktop here.
    std::function<bool()> canSuppress;
    // Asks for that again, and where it is still refused shows how to free the keys.
    std::function<void()> onRequestAccessibility;
    // ---- Display: whether the built-in display's brightness can be read.
    std::function<bool()> brightnessAvailable;
    // ---- Connectivity: the Bluetooth permission (absent: unknown) and asking for it.
    std::function<PermissionState()> bluetoothPermission;
    std::function<void()> onRequestBluetooth;
    // ---- Now Playing: whether a started source reads every player.
    std::function<bool()> isUniversal;

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
