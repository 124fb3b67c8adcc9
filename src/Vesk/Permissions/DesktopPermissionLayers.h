#pragma once

#include "Vesk/Permissions/PermissionLayers.h"

#include <QPointer>

#include <memory>

namespace vesk {

// The permissions on this desktop: Input Monitoring and Accessibility are the key tap's
// checks, Bluetooth is whether BlueZ answers, the camera whether a video device can be
// opened (or the camera portal allowed it). There is no calendar layer yet, so calendar
// access is never decided and a request is refused.
class DesktopPermissionLayers final : public PermissionLayers {
public:
    // The services belong to the bridge and must outlive these layers.
    DesktopPermissionLayers(EventTapService& eventTap, BluetoothService& bluetooth,
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
    std::unique_ptr<CameraAccess> m_camera;
};

} // namespace vesk
