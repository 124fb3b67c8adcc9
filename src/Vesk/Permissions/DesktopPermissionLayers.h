#pragma once

#include "Vesk/Permissions/PermissionLayers.h"
#include "VeskServices/Calendar/CalendarService.h"

#include <QPointer>

#include <memory>

namespace vesk {

// The permissions on this desktop: Input Monitoring and Accessibility are the key tap's
// checks, Bluetooth is whether BlueZ answers, the camera whether a video device can be
// opened (or the camera portal allowed it), the calendar the calendar service's access.
class DesktopPermissionLayers final : public PermissionLayers {
public:
    // The services belong to the bridge and must outlive these layers.
    DesktopPermissionLayers(EventTapService& eventTap, BluetoothService& bluetooth, CalendarService& calendar,
                            std::unique_ptr<CameraAccess> camera);
    ~DesktopPermissionLayers() override;

    EventTapService::InputMonitoring inputMonitoring() const override;
    void requestInputMonitoring() override;
    bool hasAccessibility() const override;
    void requestAccessibility() override;

    BluetoothService::Authorization bluetoothAuthorization() const override;
    void probeBluetooth(std::function<void()> done) override;

    CalendarAuthorization calendarAuthorization() const override;
    void requestCalendarAccess(std::function<void(bool granted)> done) override;

    CameraAccess::Authorization cameraAuthorization() const override;
    void requestCameraAccess(std::function<void(bool granted)> done) override;

private:
    QPointer<EventTapService> m_eventTap;
    QPointer<BluetoothService> m_bluetooth;
    QPointer<CalendarService> m_calendar;
    std::unique_ptr<CameraAccess> m_camera;
};

} // namespace vesk
