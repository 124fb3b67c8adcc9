#include "Vesk/Permissions/DesktopPermissionLayers.h"

#include "VeskKit/Foundation/Scheduler.h"

namespace vesk {

DesktopPermissionLayers::DesktopPermissionLayers(EventTapService& eventTap, BluetoothService& bluetooth,
                                                 std::unique_ptr<CameraAccess> camera)
    : m_eventTap(&eventTap), m_bluetooth(&bluetooth), m_camera(std::move(camera)) {}

DesktopPermissionLayers::~DesktopPermissionLayers() = default;

EventTapService::InputMonitoring DesktopPermissionLayers::inputMonitoring() const {
    return m_eventTap ? m_eventTap->inputMonitoring() : EventTapService::InputMonitoring::unknown;
}

void DesktopPermissionLayers::requestInputMonitoring() {
    if (m_eventTap) m_eventTap->requestInputMonitoring();
}

bool DesktopPermissionLayers::hasAccessibility() const {
    return m_eventTap && m_eventTap->hasAccessibility();
}

void DesktopPermissionLayers::requestAccessibility() {
    if (m_eventTap) m_eventTap->requestAccessibility();
}

BluetoothService::Authorization DesktopPermissionLayers::bluetoothAuthorization() const {
    return m_bluetooth ? m_bluetooth->authorization() : BluetoothService::Authorization::notDetermined;
}

void DesktopPermissionLayers::probeBluetooth(std::function<void()> done) {
    if (!m_bluetooth) {
        onMain(std::move(done));
        return;
    }
    m_bluetooth->requestPermission([done = std::move(done)](bool) { done(); });
}

CalendarAuthorization DesktopPermissionLayers::calendarAuthorization() const {
    return CalendarAuthorization::notDetermined;
}

void DesktopPermissionLayers::requestCalendarAccess(std::function<void(bool granted)> done) {
    onMain([done = std::move(done)] { done(false); });
}

CameraAccess::Authorization DesktopPermissionLayers::cameraAuthorization() const {
    return m_camera->authorization();
}

void DesktopPermissionLayers::requestCameraAccess(std::function<void(bool granted)> done) {
    m_camera->requestAccess(std::move(done));
}

} // namespace vesk
