#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace vesk {

// One Bluetooth device as the system knows it.
struct BluetoothDeviceInfo {
    QString address; // as the system writes it, e.g. "AA:BB:CC:DD:EE:FF"
    QString alias;   // the name the user sees
    QString name;    // the name the device gives itself; may be empty
    QString icon;    // the device's icon class, e.g. "input-mouse"; may be empty
    bool paired = false;
    bool connected = false;
    std::optional<int> batteryPercentage; // 0-100, when the device reports one

    friend bool operator==(const BluetoothDeviceInfo&, const BluetoothDeviceInfo&) = default;
};

// The machine's Bluetooth devices and their connections. Lives on the main thread;
// nothing here blocks.
class BluetoothDevices : public QObject {
    Q_OBJECT
public:
    enum class Reachability { unknown, reachable, unreachable };

    using QObject::QObject;

    // Begins following the Bluetooth daemon, including a daemon or adapter that comes
    // later. Calling it again does nothing.
    virtual void watch() = 0;
    // Asks the daemon afresh (starting it where the system can) and calls `done` on
    // the main thread with whether it answered.
    virtual void probe(std::function<void(bool reachable)> done) = 0;

    virtual Reachability reachability() const = 0;
    // Every device known now, connected or not.
    virtual QList<BluetoothDeviceInfo> devices() const = 0;

Q_SIGNALS:
    void reachabilityChanged();
    // The set of known devices changed without a connection being made or lost: the
    // daemon's first answer, a daemon restart, an adapter or a device appearing. A
    // device found already connected this way was connected before we looked.
    void devicesChanged();
    // A known device connected.
    void deviceConnected(const vesk::BluetoothDeviceInfo& device);
    // A connected device disconnected or went away with its adapter.
    void deviceDisconnected(const vesk::BluetoothDeviceInfo& device);
};

} // namespace vesk
