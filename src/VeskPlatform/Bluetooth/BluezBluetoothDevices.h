#pragma once

#include "VeskPlatform/Bluetooth/BluetoothDevices.h"

#include <QDBusConnection>
#include <QMap>
#include <QVariantMap>

#include <vector>

class QDBusMessage;
class QDBusServiceWatcher;

namespace vesk {

// Bluetooth devices from BlueZ over the system bus: the object manager's
// org.bluez.Device1 objects with org.bluez.Battery1 where a device reports its
// level. Asynchronous calls only. The "org.bluez" name is watched, so a daemon that
// restarts or starts later is read again; while it is gone no device is known.
class BluezBluetoothDevices final : public BluetoothDevices {
    Q_OBJECT
public:
    explicit BluezBluetoothDevices(QDBusConnection bus = QDBusConnection::systemBus(),
                                   QObject* parent = nullptr);
    ~BluezBluetoothDevices() override;

    void watch() override;
    void probe(std::function<void(bool reachable)> done) override;
    Reachability reachability() const override { return m_reachability; }
    QList<BluetoothDeviceInfo> devices() const override;

private Q_SLOTS:
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);
    void onPropertiesChanged(const QDBusMessage& message);

private:
    struct Entry {
        BluetoothDeviceInfo info;
        bool hasDevice = false; // Device1 seen (Battery1 may come first)
    };

    void enumerate();
    void finishProbes();
    void forgetAll();
    void setReachability(Reachability reachability);
    bool applyInterfaces(const QString& path, const QMap<QString, QVariantMap>& interfaces);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    QMap<QString, Entry> m_entries; // by object path
    std::vector<std::function<void(bool)>> m_probes;
    Reachability m_reachability = Reachability::unknown;
    quint64 m_enumeration = 0;
    bool m_enumerating = false;
    bool m_watching = false;
};

} // namespace vesk
