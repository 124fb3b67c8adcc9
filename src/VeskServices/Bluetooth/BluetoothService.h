#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskKit/Foundation/RawEnum.h"
#include "VeskPlatform/Bluetooth/BluetoothDevices.h"
#include "VeskServices/Bluetooth/BluetoothDevice.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string_view>
#include <utility>

namespace vesk {

enum class BluetoothStartResult { started, needsPermission, denied };

template <> struct RawEnumTable<BluetoothStartResult> {
    static constexpr std::array<std::pair<BluetoothStartResult, std::string_view>, 3> entries{{
        {BluetoothStartResult::started, "started"},
        {BluetoothStartResult::needsPermission, "needsPermission"},
        {BluetoothStartResult::denied, "denied"},
    }};
};

// Watches Bluetooth devices connecting and disconnecting and publishes events:
// connected (with the device's battery levels, read a moment after the connection),
// disconnected, and a low-battery warning once per connection. Devices already
// connected when it starts, or found connected when the daemon or an adapter comes
// later, give no events. A start refused because the daemon did not answer is made
// when the daemon appears (startedLate()). Lives on the main thread.
class BluetoothService final : public QObject {
    Q_OBJECT
public:
    using StartResult = BluetoothStartResult;
    // Whether Bluetooth may be used: here, whether the Bluetooth daemon answers.
    enum class Authorization { notDetermined = 0, restricted = 1, denied = 2, allowedAlways = 3 };

    // Normalised address -> battery key ("BatteryPercent", "BatteryPercentLeft",
    // "BatteryPercentRight", "BatteryPercentCase") -> percent 0-100.
    using BatteryTable = QHash<QString, QHash<QString, double>>;
    static const std::array<QString, 4>& batteryKeys();

    static constexpr double defaultLowBatteryThreshold = 0.2;
    // The wait between a connection and its event, so the device can report its level.
    static constexpr double connectDelay = 1.5;

    // Without devices the machine's own (BlueZ) are used. Whether the daemon answers
    // is asked at once, so that start() and authorization() can tell.
    explicit BluetoothService(std::unique_ptr<BluetoothDevices> devices = nullptr, QObject* parent = nullptr);
    ~BluetoothService() override;

    const NewestStream<BluetoothEvent>& events() const { return m_events; }

    double lowBatteryThreshold() const { return m_lowBatteryThreshold; }
    // Clamped to 0...1; a value that is not a number is ignored.
    void setLowBatteryThreshold(double threshold);

    Authorization authorization() const;
    // No Bluetooth daemon answers: nothing is denied, there is nothing to use or allow.
    bool isAbsent() const { return authorization() == Authorization::restricted; }
    // Anything but `started` leaves the start to be made when the daemon appears.
    StartResult start();
    void stop();
    bool isStarted() const { return m_started; }

    // Asks the daemon afresh and calls `completion` on the main thread with whether
    // Bluetooth can now be used.
    void requestPermission(std::function<void(bool granted)> completion);

    // Every paired device that is connected now, with its levels.
    QList<BluetoothDevice> connectedDevices() const;

    BatteryTable readBatteryTable() const;
    static BatteryTable readBatteryTable(const QList<BluetoothDeviceInfo>& devices);
    static QString normalisedAddress(const QString& address);
    static void applyBattery(BluetoothDevice& device, const BatteryTable& table);
    // The symbol for a device name, by the first of its words that matches.
    static QString symbol(const QString& name);
    // As symbol(name), but a name that says nothing falls back to the device's icon
    // class, so a mouse called "MX Anywhere" still looks like a mouse.
    static QString symbol(const QString& name, const QString& iconClass);
    static BluetoothDevice describe(const BluetoothDeviceInfo& info, const BatteryTable& table);

Q_SIGNALS:
    // A start refused earlier was made: the daemon appeared.
    void startedLate();
    // Whether the daemon answers changed, and with it authorization() and isAbsent().
    void reachabilityChanged();

private:
    void deviceConnected(const BluetoothDeviceInfo& info);
    void deviceDisconnected(const BluetoothDeviceInfo& info);
    void devicesChanged();

    std::unique_ptr<BluetoothDevices> m_devices;
    NewestStream<BluetoothEvent> m_events{8};
    double m_lowBatteryThreshold = defaultLowBatteryThreshold;
    // All keyed by normalised address.
    QSet<QString> m_warned;  // low battery announced during the current connection
    QSet<QString> m_watched; // connected devices whose disconnection is reported
    // Bumped by every connection and disconnection, so a delayed connection event
    // whose device has since disconnected is dropped.
    QHash<QString, quint64> m_generations;
    bool m_started = false;
    // start() was asked for and not yet made or stopped.
    bool m_startWanted = false;
};

} // namespace vesk
