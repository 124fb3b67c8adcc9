#pragma once

#include "Vesk/Permissions/PermissionLayers.h"

#include <functional>
#include <vector>

namespace vesk::test {

// Platform answers the test sets; Bluetooth probes wait until the test answers them.
class FakePermissionLayers final : public PermissionLayers {
public:
    EventTapService::InputMonitoring listen = EventTapService::InputMonitoring::granted;
    bool accessibility = true;
    BluetoothService::Authorization bluetooth = BluetoothService::Authorization::notDetermined;
    CalendarAuthorization calendar = CalendarAuthorization::notDetermined;
    CameraAccess::Authorization camera = CameraAccess::Authorization::notDetermined;
    int inputMonitoringRequests = 0;

    EventTapService::InputMonitoring inputMonitoring() const override { return listen; }
    void requestInputMonitoring() override { ++inputMonitoringRequests; }
    bool hasAccessibility() const override { return accessibility; }
    void requestAccessibility() override {}
    BluetoothService::Authorization bluetoothAuthorization() const override { return bluetooth; }
    void probeBluetooth(std::function<void()> done) override { m_probes.push_back(std::move(done)); }
    CalendarAuthorization calendarAuthorization() const override { return calendar; }
    void requestCalendarAccess(std::function<void(bool)> done) override { done(false); }
    CameraAccess::Authorization cameraAuthorization() const override { return camera; }
    void requestCameraAccess(std::function<void(bool)> done) override { done(false); }

    int pendingProbes() const { return int(m_probes.size()); }
    // The daemon answers every probe with `answer`.
    void answerProbes(BluetoothService::Authorization answer) {
        bluetooth = answer;
        auto probes = std::move(m_probes);
        m_probes.clear();
        for (auto& done : probes)
            done();
    }

private:
    std::vector<std::function<void()>> m_probes;
};

} // namespace vesk::test
