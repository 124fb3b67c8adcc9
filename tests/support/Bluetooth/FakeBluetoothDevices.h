#pragma once

#include "VeskPlatform/Bluetooth/BluetoothDevices.h"

#include <functional>
#include <vector>

namespace vesk::test {

// Bluetooth devices the test moves by hand; each change is reported the way the
// real daemon's would be.
class FakeBluetoothDevices final : public BluetoothDevices {
public:
    void watch() override { ++watchCount; }
    void probe(std::function<void(bool reachable)> done) override { m_probes.push_back(std::move(done)); }
    Reachability reachability() const override { return m_reachability; }
    QList<BluetoothDeviceInfo> devices() const override { return m_devices; }

    void setReachability(Reachability reachability) {
        if (reachability == m_reachability) return;
        m_reachability = reachability;
        Q_EMIT reachabilityChanged();
    }
    int pendingProbes() const { return static_cast<int>(m_probes.size()); }
    void answerProbes(bool reachable) {
        setReachability(reachable ? Reachability::reachable : Reachability::unreachable);
        std::vector<std::function<void(bool)>> probes;
        probes.swap(m_probes);
        for (auto& done : probes)
            done(reachable);
    }

    // Replaces what the daemon knows, as a first answer or a restart does.
    void setDevices(QList<BluetoothDeviceInfo> devices) {
        m_devices = std::move(devices);
        Q_EMIT devicesChanged();
    }
    void connectDevice(const QString& address) {
        if (BluetoothDeviceInfo* info = find(address)) {
            info->connected = true;
            Q_EMIT deviceConnected(*info);
        }
    }
    void disconnectDevice(const QString& address) {
        if (BluetoothDeviceInfo* info = find(address)) {
            info->connected = false;
            Q_EMIT deviceDisconnected(*info);
        }
    }
    // Battery levels change without a signal of their own.
    void setBattery(const QString& address, std::optional<int> percentage) {
        if (BluetoothDeviceInfo* info = find(address)) info->batteryPercentage = percentage;
    }

    static BluetoothDeviceInfo device(const QString& address, const QString& alias, bool connected = false,
                                      std::optional<int> battery = std::nullopt, bool paired = true) {
        BluetoothDeviceInfo info;
        info.address = address;
        info.alias = alias;
        info.name = alias;
        info.paired = paired;
        info.connected = connected;
        info.batteryPercentage = battery;
        return info;
    }

    int watchCount = 0;

private:
    BluetoothDeviceInfo* find(const QString& address) {
        for (BluetoothDeviceInfo& info : m_devices)
            if (info.address == address) return &info;
        return nullptr;
    }

    Reachability m_reachability = Reachability::unknown;
    QList<BluetoothDeviceInfo> m_devices;
    std::vector<std::function<void(bool)>> m_probes;
};

} // namespace vesk::test
