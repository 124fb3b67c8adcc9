#include "VeskPlatform/Bluetooth/BluezBluetoothDevices.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString bluezService = QStringLiteral("org.bluez");
const QString objectManagerInterface = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString adapterInterface = QStringLiteral("org.bluez.Adapter1");
const QString deviceInterface = QStringLiteral("org.bluez.Device1");
const QString batteryInterface = QStringLiteral("org.bluez.Battery1");
const QString percentageKey = QStringLiteral("Percentage");

// Enumerating may start the daemon: allow it a little longer than a plain read.
constexpr int enumerateTimeoutMs = 5000;

using InterfaceMap = QMap<QString, QVariantMap>;

InterfaceMap readInterfaces(const QDBusArgument& argument) {
    InterfaceMap interfaces;
    argument.beginMap();
    while (!argument.atEnd()) {
        QString name;
        QVariantMap properties;
        argument.beginMapEntry();
        argument >> name >> properties;
        argument.endMapEntry();
        interfaces.insert(name, properties);
    }
    argument.endMap();
    return interfaces;
}

InterfaceMap readInterfaces(const QVariant& value) {
    const QVariant plain = dbus::plainValue(value);
    if (plain.metaType() != QMetaType::fromType<QDBusArgument>()) return {};
    return readInterfaces(plain.value<QDBusArgument>());
}

QMap<QString, InterfaceMap> readManagedObjects(const QVariant& value) {
    QMap<QString, InterfaceMap> objects;
    if (value.metaType() != QMetaType::fromType<QDBusArgument>()) return objects;
    const QDBusArgument argument = value.value<QDBusArgument>();
    argument.beginMap();
    while (!argument.atEnd()) {
        QDBusObjectPath path;
        argument.beginMapEntry();
        argument >> path;
        InterfaceMap interfaces = readInterfaces(argument);
        argument.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    argument.endMap();
    return objects;
}

QString pathArgument(const QVariant& value) {
    const QVariant plain = dbus::plainValue(value);
    if (plain.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return plain.value<QDBusObjectPath>().path();
    return plain.toString();
}

void applyDeviceProperties(BluetoothDeviceInfo& info, const QVariantMap& properties,
                           const QStringList& invalidated) {
    auto text = [&](const char* key, QString& field) {
        const QString name = QLatin1String(key);
        if (properties.contains(name))
            field = dbus::plainValue(properties.value(name)).toString();
        else if (invalidated.contains(name))
            field.clear();
    };
    auto flag = [&](const char* key, bool& field) {
        const QString name = QLatin1String(key);
        if (properties.contains(name)) field = dbus::plainValue(properties.value(name)).toBool();
    };
    text("Address", info.address);
    text("Alias", info.alias);
    text("Name", info.name);
    text("Icon", info.icon);
    flag("Paired", info.paired);
    flag("Connected", info.connected);
}

void applyBatteryProperties(BluetoothDeviceInfo& info, const QVariantMap& properties,
                            const QStringList& invalidated) {
    if (properties.contains(percentageKey)) {
        bool ok = false;
        const int percent = dbus::plainValue(properties.value(percentageKey)).toInt(&ok);
        if (ok && percent >= 0 && percent <= 100)
            info.batteryPercentage = percent;
        else
            info.batteryPercentage.reset();
    } else if (invalidated.contains(percentageKey)) {
        info.batteryPercentage.reset();
    }
}

} // namespace

BluezBluetoothDevices::BluezBluetoothDevices(QDBusConnection bus, QObject* parent)
    : BluetoothDevices(parent), m_bus(std::move(bus)) {}

BluezBluetoothDevices::~BluezBluetoothDevices() = default;

QList<BluetoothDeviceInfo> BluezBluetoothDevices::devices() const {
    QList<BluetoothDeviceInfo> list;
    for (const Entry& entry : m_entries)
        if (entry.hasDevice) list.append(entry.info);
    return list;
}

void BluezBluetoothDevices::watch() {
    if (m_watching) return;
    m_watching = true;
    if (!m_bus.isConnected()) {
        setReachability(Reachability::unreachable);
        return;
    }

    m_watcher = new QDBusServiceWatcher(bluezService, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (!newOwner.isEmpty()) {
                    enumerate();
                    return;
                }
                ++m_enumeration; // an answer still in flight came from the old daemon
                m_enumerating = false;
                forgetAll();
                setReachability(Reachability::unreachable);
                finishProbes();
            });
    m_bus.connect(bluezService, QStringLiteral("/"), objectManagerInterface,
                  QStringLiteral("InterfacesAdded"), this, SLOT(onInterfacesAdded(QDBusMessage)));
    m_bus.connect(bluezService, QStringLiteral("/"), objectManagerInterface,
                  QStringLiteral("InterfacesRemoved"), this, SLOT(onInterfacesRemoved(QDBusMessage)));
    // Only the two interfaces read here: discovery by other programs floods the bus
    // with adapter and signal-strength changes.
    for (const QString& interface : {deviceInterface, batteryInterface})
        m_bus.connect(bluezService, QString(), dbus::propertiesInterface, QStringLiteral("PropertiesChanged"),
                      {interface}, QString(), this, SLOT(onPropertiesChanged(QDBusMessage)));
    enumerate();
}

void BluezBluetoothDevices::probe(std::function<void(bool reachable)> done) {
    if (!m_bus.isConnected()) {
        QMetaObject::invokeMethod(
            this, [done = std::move(done)] { done(false); }, Qt::QueuedConnection);
        return;
    }
    m_probes.push_back(std::move(done));
    if (!m_watching)
        watch();
    else if (!m_enumerating)
        enumerate();
}

void BluezBluetoothDevices::enumerate() {
    const quint64 enumeration = ++m_enumeration;
    m_enumerating = true;
    const QDBusMessage call = QDBusMessage::createMethodCall(
        bluezService, QStringLiteral("/"), objectManagerInterface, QStringLiteral("GetManagedObjects"));
    dbus::callAsync(m_bus, call, enumerateTimeoutMs, this, [this, enumeration](const QDBusMessage& reply) {
        if (enumeration != m_enumeration) return;
        m_enumerating = false;
        if (dbus::isError(reply) || reply.arguments().isEmpty()) {
            forgetAll();
            setReachability(Reachability::unreachable);
            finishProbes();
            return;
        }
        m_entries.clear();
        const QMap<QString, InterfaceMap> objects = readManagedObjects(reply.arguments().constFirst());
        for (auto it = objects.constBegin(); it != objects.constEnd(); ++it)
            applyInterfaces(it.key(), it.value());
        setReachability(Reachability::reachable);
        Q_EMIT devicesChanged();
        finishProbes();
    });
}

void BluezBluetoothDevices::finishProbes() {
    std::vector<std::function<void(bool)>> probes;
    probes.swap(m_probes);
    const bool reachable = m_reachability == Reachability::reachable;
    for (auto& done : probes)
        done(reachable);
}

void BluezBluetoothDevices::forgetAll() {
    if (m_entries.isEmpty()) return;
    m_entries.clear();
    Q_EMIT devicesChanged();
}

void BluezBluetoothDevices::setReachability(Reachability reachability) {
    if (reachability == m_reachability) return;
    m_reachability = reachability;
    Q_EMIT reachabilityChanged();
}

bool BluezBluetoothDevices::applyInterfaces(const QString& path, const InterfaceMap& interfaces) {
    const bool hasDevice = interfaces.contains(deviceInterface);
    const bool hasBattery = interfaces.contains(batteryInterface);
    if (!hasDevice && !hasBattery) return false;
    Entry& entry = m_entries[path];
    const bool added = hasDevice && !entry.hasDevice;
    if (hasDevice) {
        entry.hasDevice = true;
        applyDeviceProperties(entry.info, interfaces.value(deviceInterface), {});
    }
    if (hasBattery) applyBatteryProperties(entry.info, interfaces.value(batteryInterface), {});
    return added;
}

void BluezBluetoothDevices::onInterfacesAdded(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || m_reachability != Reachability::reachable) return;
    // A device that appears already connected (its adapter came later) was connected
    // before we could see it: no connection is reported for it.
    if (applyInterfaces(pathArgument(args.at(0)), readInterfaces(args.at(1)))) Q_EMIT devicesChanged();
}

void BluezBluetoothDevices::onInterfacesRemoved(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2) return;
    const QString path = pathArgument(args.at(0));
    const QStringList interfaces = args.at(1).toStringList();

    QStringList gone;
    if (interfaces.contains(adapterInterface)) {
        // The daemon may drop an adapter without removing its devices first.
        const QString prefix = path + QLatin1Char('/');
        for (auto it = m_entries.constBegin(); it != m_entries.constEnd(); ++it)
            if (it.key().startsWith(prefix)) gone.append(it.key());
    }
    if (interfaces.contains(deviceInterface) && m_entries.contains(path)) gone.append(path);
    if (interfaces.contains(batteryInterface) && m_entries.contains(path))
        m_entries[path].info.batteryPercentage.reset();

    bool changed = false;
    for (const QString& devicePath : gone) {
        const Entry entry = m_entries.take(devicePath);
        if (!entry.hasDevice) continue;
        changed = true;
        if (entry.info.connected) {
            BluetoothDeviceInfo info = entry.info;
            info.connected = false;
            Q_EMIT deviceDisconnected(info);
        }
    }
    if (changed) Q_EMIT devicesChanged();
}

void BluezBluetoothDevices::onPropertiesChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2) return;
    auto it = m_entries.find(message.path());
    if (it == m_entries.end() || !it->hasDevice) return; // not seen yet: the next enumeration tells
    const QString interface = args.at(0).toString();
    const QVariantMap changed = dbus::toVariantMap(args.at(1));
    const QStringList invalidated = args.size() > 2 ? args.at(2).toStringList() : QStringList();

    if (interface == batteryInterface) {
        applyBatteryProperties(it->info, changed, invalidated);
        return;
    }
    if (interface != deviceInterface) return;
    const bool wasConnected = it->info.connected;
    applyDeviceProperties(it->info, changed, invalidated);
    const BluetoothDeviceInfo info = it->info;
    if (!wasConnected && info.connected)
        Q_EMIT deviceConnected(info);
    else if (wasConnected && !info.connected)
        Q_EMIT deviceDisconnected(info);
}

} // namespace vesk
