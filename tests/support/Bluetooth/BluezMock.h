#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"

#include <QDBusObjectPath>

namespace vesk::test {

// Drives python3-dbusmock's "bluez5" template on the private system bus, adding what
// it lacks (org.bluez.Battery1, devices that appear connected). A failed call fails
// the running test.
class BluezMock {
public:
    explicit BluezMock(PrivateBuses& buses) : m_buses(buses) {}

    static QString devicePath(const QString& address) {
        return QStringLiteral("/org/bluez/hci0/dev_") + QString(address).replace(u':', u'_');
    }

    QProcess* start() { return m_buses.startTemplate(QStringLiteral("bluez5"), QStringLiteral("org.bluez")); }

    void addAdapter() { bluez(QStringLiteral("AddAdapter"), {adapter, QStringLiteral("vesk-test")}); }
    void removeAdapterWithDevices() { bluez(QStringLiteral("RemoveAdapterWithDevices"), {adapter}); }
    void removeAdapterOnly() { bluez(QStringLiteral("RemoveAdapter"), {adapter}); }
    void addDevice(const QString& address, const QString& alias) {
        bluez(QStringLiteral("AddDevice"), {adapter, address, alias});
    }
    // Pairing also gives the device the icon class "phone".
    void pair(const QString& address) { bluez(QStringLiteral("PairDevice"), {adapter, address, 5898764}); }
    void connectDevice(const QString& address) { bluez(QStringLiteral("ConnectDevice"), {adapter, address}); }
    void disconnectDevice(const QString& address) {
        bluez(QStringLiteral("DisconnectDevice"), {adapter, address});
    }

    // A device object that appears already connected, as one of an adapter that comes
    // up with its connections in place.
    void addConnectedDevice(const QString& address, const QString& alias, const QString& icon) {
        const QVariantMap properties = {
            {QStringLiteral("Address"), address},
            {QStringLiteral("Alias"), alias},
            {QStringLiteral("Name"), alias},
            {QStringLiteral("Icon"), icon},
            {QStringLiteral("Paired"), true},
            {QStringLiteral("Connected"), true},
            {QStringLiteral("Adapter"), QVariant::fromValue(QDBusObjectPath("/org/bluez/hci0"))},
        };
        DBusMockControl root = object(QStringLiteral("/"));
        EXPECT_TRUE(root.addObject(devicePath(address), QStringLiteral("org.bluez.Device1"), properties))
            << qPrintable(root.lastError());
        announce(devicePath(address), QStringLiteral("org.bluez.Device1"), properties);
    }

    // Gives a device org.bluez.Battery1 and announces it as the daemon does.
    void addBattery(const QString& address, int percentage) {
        DBusMockControl device = object(devicePath(address));
        EXPECT_TRUE(device.addProperties(battery, level(percentage))) << qPrintable(device.lastError());
        announce(devicePath(address), battery, level(percentage));
    }
    // Changes the level; dbusmock emits PropertiesChanged.
    void setBattery(const QString& address, int percentage) {
        DBusMockControl device = object(devicePath(address));
        EXPECT_TRUE(device.updateProperties(battery, level(percentage))) << qPrintable(device.lastError());
    }

private:
    static inline const QString adapter = QStringLiteral("hci0");
    static inline const QString battery = QStringLiteral("org.bluez.Battery1");
    static QVariantMap level(int percentage) {
        return {{QStringLiteral("Percentage"), QVariant::fromValue(uchar(percentage))}};
    }

    DBusMockControl object(const QString& path) const {
        return {m_buses.system(), QStringLiteral("org.bluez"), path};
    }
    void bluez(const QString& method, const QVariantList& args) {
        DBusMockControl root = object(QStringLiteral("/"));
        root.call(QStringLiteral("org.bluez.Mock"), method, args);
        EXPECT_TRUE(root.lastError().isEmpty()) << qPrintable(root.lastError());
    }
    void announce(const QString& path, const QString& interface, const QVariantMap& properties) {
        DBusMockControl root = object(QStringLiteral("/"));
        EXPECT_TRUE(root.emitSignal(
            QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("InterfacesAdded"),
            QStringLiteral("oa{sa{sv}}"),
            {QVariant::fromValue(QDBusObjectPath(path)), QVariantMap{{interface, properties}}}))
            << qPrintable(root.lastError());
    }

    PrivateBuses& m_buses;
};

} // namespace vesk::test
