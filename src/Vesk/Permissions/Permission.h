#pragma once

#include "VeskKit/Foundation/RawEnum.h"
#include "VeskPlatform/Camera/CameraAccess.h"
#include "VeskServices/Bluetooth/BluetoothService.h"
#include "VeskServices/EventTap/EventTapService.h"

#include <QString>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The privacy permissions the program asks for.
enum class Permission { inputMonitoring, accessibility, bluetooth, calendar, camera };

template <> struct RawEnumTable<Permission> {
    static constexpr std::array<std::pair<Permission, std::string_view>, 5> entries{{
        {Permission::inputMonitoring, "inputMonitoring"},
        {Permission::accessibility, "accessibility"},
        {Permission::bluetooth, "bluetooth"},
        {Permission::calendar, "calendar"},
        {Permission::camera, "camera"},
    }};
};

enum class PermissionState { granted, notDetermined, denied, unknown };

template <> struct RawEnumTable<PermissionState> {
    static constexpr std::array<std::pair<PermissionState, std::string_view>, 4> entries{{
        {PermissionState::granted, "granted"},
        {PermissionState::notDetermined, "notDetermined"},
        {PermissionState::denied, "denied"},
        {PermissionState::unknown, "unknown"},
    }};
};

// What the calendar layer answers about full access to events; other raw values may
// come from newer layers.
enum class CalendarAuthorization {
    notDetermined = 0,
    restricted = 1,
    denied = 2,
    fullAccess = 3,
    writeOnly = 4
};

// "Key Monitoring", "Key Interception", "Bluetooth", "Calendar", "Camera".
QString displayName(Permission permission);
// The settings pane anchor: "Privacy_ListenEvent", "Privacy_Accessibility", ...
QString paneAnchor(Permission permission);

// Each layer's answer as a permission state; a value outside the layer's cases reads unknown.
PermissionState permissionState(EventTapService::InputMonitoring answer);
// Accessibility is never denied, only not granted yet.
PermissionState accessibilityState(bool trusted);
PermissionState permissionState(BluetoothService::Authorization answer);
PermissionState permissionState(CalendarAuthorization answer);
PermissionState permissionState(CameraAccess::Authorization answer);

} // namespace vesk
