#include "Vesk/Permissions/Permission.h"

namespace vesk {

QString displayName(Permission permission) {
    switch (permission) {
    case Permission::inputMonitoring:
        // Seeing the keys through the X server, which needs no one's leave.
        return QStringLiteral("Key Monitoring");
    case Permission::accessibility:
        // Taking the media keys through the X server, which needs no one's leave either,
        // only that no other program holds them.
        return QStringLiteral("Key Interception");
    case Permission::bluetooth:
        return QStringLiteral("Bluetooth");
    case Permission::calendar:
        return QStringLiteral("Calendar");
    case Permission::camera:
        return QStringLiteral("Camera");
    }
    return {};
}

QString paneAnchor(Permission permission) {
    switch (permission) {
    case Permission::inputMonitoring:
        return QStringLiteral("Privacy_ListenEvent");
    case Permission::accessibility:
        return QStringLiteral("Privacy_Accessibility");
    case Permission::bluetooth:
        return QStringLiteral("Privacy_Bluetooth");
    case Permission::calendar:
        return QStringLiteral("Privacy_Calendars");
    case Permission::camera:
        return QStringLiteral("Privacy_Camera");
    }
    return {};
}

PermissionState permissionState(EventTapService::InputMonitoring answer) {
    switch (answer) {
    case EventTapService::InputMonitoring::granted:
        return PermissionState::granted;
    case EventTapService::InputMonitoring::denied:
        return PermissionState::denied;
    case EventTapService::InputMonitoring::unknown:
        return PermissionState::notDetermined;
    }
    return PermissionState::unknown;
}

PermissionState accessibilityState(bool trusted) {
    return trusted ? PermissionState::granted : PermissionState::notDetermined;
}

PermissionState permissionState(BluetoothService::Authorization answer) {
    switch (answer) {
    case BluetoothService::Authorization::notDetermined:
        return PermissionState::notDetermined;
    case BluetoothService::Authorization::restricted:
    case BluetoothService::Authorization::denied:
        return PermissionState::denied;
    case BluetoothService::Authorization::allowedAlways:
        return PermissionState::granted;
    }
    return PermissionState::unknown;
}

PermissionState permissionState(CalendarAuthorization answer) {
    switch (answer) {
    case CalendarAuthorization::notDetermined:
        return PermissionState::notDetermined;
    case CalendarAuthorization::restricted:
    case CalendarAuthorization::denied:
    case CalendarAuthorization::writeOnly:
        return PermissionState::denied;
    case CalendarAuthorization::fullAccess:
        return PermissionState::granted;
    }
    return PermissionState::unknown;
}

PermissionState permissionState(CameraAccess::Authorization answer) {
    switch (answer) {
    case CameraAccess::Authorization::notDetermined:
        return PermissionState::notDetermined;
    case CameraAccess::Authorization::restricted:
    case CameraAccess::Authorization::denied:
        return PermissionState::denied;
    case CameraAccess::Authorization::authorized:
        return PermissionState::granted;
    }
    return PermissionState::unknown;
}

} // namespace vesk
