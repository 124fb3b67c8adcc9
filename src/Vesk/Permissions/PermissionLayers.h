#pragma once

#include "Vesk/Permissions/Permission.h"

#include <functional>

namespace vesk {

// The platform answers behind the permissions, one group per permission. Main thread;
// every `done` runs once, on the main thread.
class PermissionLayers {
public:
    virtual ~PermissionLayers() = default;

    virtual EventTapService::InputMonitoring inputMonitoring() const = 0;
    virtual void requestInputMonitoring() = 0;
    virtual bool hasAccessibility() const = 0;
    virtual void requestAccessibility() = 0;

    virtual BluetoothService::Authorization bluetoothAuthorization() const = 0;
    // Asks the Bluetooth daemon afresh; `done` runs when it has answered.
    virtual void probeBluetooth(std::function<void()> done) = 0;

    virtual CalendarAuthorization calendarAuthorization() const = 0;
    virtual void requestCalendarAccess(std::function<void(bool granted)> done) = 0;

    virtual CameraAccess::Authorization cameraAuthorization() const = 0;
    virtual void requestCameraAccess(std::function<void(bool granted)> done) = 0;
};

} // namespace vesk
