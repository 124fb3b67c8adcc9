#include "Vesk/Permissions/DesktopPermissionLayers.h"

#include "VeskKit/Foundation/Scheduler.h"

namespace vesk {

DesktopPermissionLayers::DesktopPermissionLayers(EventTapService& eventTap, BluetoothService& bluetooth,
                                                 CalendarService& calendar,
                                                 std::unique_ptr<CameraAccess> camera)
    : m_eventTap(&eventTap), m_bluetooth(&bluetooth), m_calendar(&calendar), m_camera(std::move(camera)) {}

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
    switch (m_calendar ? m_calendar->access() : CalendarAccess::notDetermined) {
    case CalendarAccess::granted:
        return CalendarAuthorization::fullAccess;
    case CalendarAccess::notDetermined:
        return CalendarAuthorization::notDetermined;
    case CalendarAccess::writeOnly:
        return CalendarAuthorization::writeOnly;
    case CalendarAccess::denied:
        return CalendarAuthorization::denied;
    case CalendarAccess::restricted:
        return CalendarAuthorization::restricted;
    }
    return CalendarAuthorization::notDetermined;
}

void DesktopPermissionLayers::requestCalendarAccess(std::function<void(bool granted)> done) {
    const QPointer<CalendarService> calendar = m_calendar;
    const auto answer = [calendar, done = std::move(done)] {
        done(calendar && calendar->access() == CalendarAccess::granted);
    };
    // There is nothing to ask the user: starting the service finds out whether the
    // calendars can be read.
    if (calendar && calendar->access() == CalendarAccess::notDetermined)
        calendar->start(answer);
    else
        onMain(answer);
}

CameraAccess::Authorization DesktopPermissionLayers::cameraAuthorization() const {
    return m_camera->authorization();
}

void DesktopPermissionLayers::requestCameraAccess(std::function<void(bool granted)> done) {
    m_camera->requestAccess(std::move(done));
}

} // namespace vesk
