#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/MockCall.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QMetaType>
#include <QVariantMap>

namespace vesk::test {

// One method of a dbusmock object: name, in and out signatures, Python code.
struct DBusMockMethod {
    QString name, inSignature, outSignature, code;
};

inline QDBusArgument& operator<<(QDBusArgument& argument, const DBusMockMethod& method) {
    argument.beginStructure();
    argument << method.name << method.inSignature << method.outSignature << method.code;
    argument.endStructure();
    return argument;
}

inline const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMockMethod& method) {
    argument.beginStructure();
    argument >> method.name >> method.inSignature >> method.outSignature >> method.code;
    argument.endStructure();
    return argument;
}

} // namespace vesk::test

Q_DECLARE_METATYPE(vesk::test::DBusMockMethod)

namespace vesk::test {

// Drives python3-dbusmock's "bluez5" template on the private system bus, adding
// what the template lacks (org.bluez.Battery1, devices that appear connected).
class BluezMock {
public:
    explicit BluezMock(PrivateBuses& buses) : m_buses(buses) {
        qDBusRegisterMetaType<DBusMockMethod>();
        qDBusRegisterMetaType<QList<DBusMockMethod>>();
    }

    static QString service() { return QStringLiteral("org.bluez"); }
    static QString adapter() { return QStringLiteral("hci0"); }
    static QString devicePath(const QString& address) {
        return QStringLiteral("/org/bluez/hci0/dev_") +
               QString(address).replace(QLatin1Char(':'), QLatin1Char('_'));
    }

    QProcess* start() { return m_buses.startTemplate(QStringLiteral("bluez5"), service()); }

    void addAdapter() { bluez(QStringLiteral("AddAdapter"), {adapter(), QStringLiteral("vesk-test")}); }
    void removeAdapterWithDevices() { bluez(QStringLiteral("RemoveAdapterWithDevices"), {adapter()}); }
    void removeAdapterOnly() { bluez(QStringLiteral("RemoveAdapter"), {adapter()}); }
    void addDevice(const QString& address, const QString& alias) {
        bluez(QStringLiteral("AddDevice"), {adapter(), address, alias});
    }
    // Pairing also gives the device the icon class "phone".
    void pair(const QString& address) { bluez(QStringLiteral("PairDevice"), {adapter(), address, 5898764}); }
    void connectDevice(const QString& address) {
        bluez(QStringLiteral("ConnectDevice"), {adapter(), address});
    }
    void disconnectDevice(const QString& address) {
        bluez(QStringLiteral("DisconnectDevice"), {adapter(), address});
    }

    // A device object that appears already connected, as one of an adapter that comes
    // up with its connections in place.
    void addConnectedDevice(const QString& address, const QString& alias, const QString& icon) {
        const QString path = devicePath(address);
        const QVariantMap properties = {
            {QStringLiteral("Address"), address},
            {QStringLiteral("Alias"), alias},
            {QStringLiteral("Name"), alias},
            {QStringLiteral("Icon"), icon},
            {QStringLiteral("Paired"), true},
            {QStringLiteral("Connected"), true},
            {QStringLiteral("Adapter"),
             QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/bluez/hci0")))},
        };
        mockCall(m_buses.system(), service(), QStringLiteral("/"), dbusMockInterface(),
                 QStringLiteral("AddObject"),
                 {path, QStringLiteral("org.bluez.Device1"), properties,
                  QVariant::fromValue(QList<DBusMockMethod>())});
        emitInterfacesAdded(path, QStringLiteral("org.bluez.Device1"), properties);
    }

    // Gives a device org.bluez.Battery1 and announces it as the daemon does.
    void addBattery(const QString& address, int percentage) {
        const QVariantMap properties = {
            {QStringLiteral("Percentage"), QVariant::fromValue(uchar(percentage))}};
        mockCall(m_buses.system(), service(), devicePath(address), dbusMockInterface(),
                 QStringLiteral("AddProperties"), {batteryInterface(), properties});
        emitInterfacesAdded(devicePath(address), batteryInterface(), properties);
    }
    // Changes the level; dbusmock emits PropertiesChanged.
    void setBattery(const QString& address, int percentage) {
        mockCall(m_buses.system(), service(), devicePath(address), dbusMockInterface(),
                 QStringLiteral("UpdateProperties"),
                 {batteryInterface(),
                  QVariantMap{{QStringLiteral("Percentage"), QVariant::fromValue(uchar(percentage))}}});
    }

private:
    static QString batteryInterface() { return QStringLiteral("org.bluez.Battery1"); }

    void bluez(const QString& method, const QVariantList& args) {
        mockCall(m_buses.system(), service(), QStringLiteral("/"), QStringLiteral("org.bluez.Mock"), method,
                 args);
    }

    void emitInterfacesAdded(const QString& path, const QString& interface, const QVariantMap& properties) {
        const QVariantList signalArgs = {QVariant::fromValue(QDBusObjectPath(path)),
                                         QVariantMap{{interface, properties}}};
        mockCall(m_buses.system(), service(), QStringLiteral("/"), dbusMockInterface(),
                 QStringLiteral("EmitSignal"),
                 {QStringLiteral("org.freedesktop.DBus.ObjectManager"), QStringLiteral("InterfacesAdded"),
                  QStringLiteral("oa{sa{sv}}"), signalArgs});
    }

    PrivateBuses& m_buses;
};

} // namespace vesk::test
