#include "VeskServices/Bluetooth/BluetoothService.h"

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Bluetooth/BluezBluetoothDevices.h"

#include <QPointer>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <optional>

namespace vesk {

namespace {

struct SymbolRule {
    const char* nameContains;
    const char* symbol;
};

// First match wins, on the lower-cased name.
constexpr SymbolRule symbolRules[] = {
    {"airpods max", "airpods.max"}, {"airpods pro", "airpods.pro"}, {"airpod", "airpods.gen3"},
    {"beats", "beats.headphones"},  {"mouse", "magicmouse.fill"},   {"keyboard", "keyboard.fill"},
    {"trackpad", "trackpad.fill"},
};

struct IconRule {
    const char* iconClass;
    const char* symbol;
};

constexpr IconRule iconRules[] = {
    {"input-mouse", "magicmouse.fill"},
    {"input-keyboard", "keyboard.fill"},
};

std::optional<QString> symbolFromName(const QString& name) {
    const QString lower = name.toLower();
    for (const SymbolRule& rule : symbolRules)
        if (lower.contains(QLatin1String(rule.nameContains))) return QString::fromLatin1(rule.symbol);
    return std::nullopt;
}

} // namespace

const std::array<QString, 4>& BluetoothService::batteryKeys() {
    static const std::array<QString, 4> keys{
        QStringLiteral("BatteryPercent"), QStringLiteral("BatteryPercentLeft"),
        QStringLiteral("BatteryPercentRight"), QStringLiteral("BatteryPercentCase")};
    return keys;
}

BluetoothService::BluetoothService(std::unique_ptr<BluetoothDevices> devices, QObject* parent)
    : QObject(parent), m_devices(std::move(devices)) {
    if (!m_devices) m_devices = std::make_unique<BluezBluetoothDevices>();
    connect(m_devices.get(), &BluetoothDevices::deviceConnected, this, &BluetoothService::deviceConnected);
    connect(m_devices.get(), &BluetoothDevices::deviceDisconnected, this,
            &BluetoothService::deviceDisconnected);
    connect(m_devices.get(), &BluetoothDevices::devicesChanged, this, &BluetoothService::devicesChanged);
    connect(m_devices.get(), &BluetoothDevices::reachabilityChanged, this, [this] {
        Q_EMIT reachabilityChanged();
        if (!m_startWanted || m_started || authorization() != Authorization::allowedAlways) return;
        // Adopted as at start: devices already connected give no events.
        start();
        Q_EMIT startedLate();
    });
    m_devices->watch();
}

BluetoothService::~BluetoothService() = default;

void BluetoothService::setLowBatteryThreshold(double threshold) {
    if (std::isnan(threshold)) return;
    m_lowBatteryThreshold = std::clamp(threshold, 0.0, 1.0);
}

BluetoothService::Authorization BluetoothService::authorization() const {
    switch (m_devices->reachability()) {
    case BluetoothDevices::Reachability::reachable:
        return Authorization::allowedAlways;
    case BluetoothDevices::Reachability::unreachable:
        return Authorization::restricted;
    case BluetoothDevices::Reachability::unknown:
        break;
    }
    return Authorization::notDetermined;
}

BluetoothService::StartResult BluetoothService::start() {
    m_startWanted = true;
    switch (authorization()) {
    case Authorization::restricted:
    case Authorization::denied:
        return StartResult::denied;
    case Authorization::notDetermined:
        return StartResult::needsPermission;
    case Authorization::allowedAlways:
        break;
    }
    m_started = true;
    devicesChanged();
    return StartResult::started;
}

void BluetoothService::stop() {
    m_started = false;
    m_startWanted = false;
    m_watched.clear();
    // Connections still waiting for their event are dropped.
    for (auto it = m_generations.begin(); it != m_generations.end(); ++it)
        ++it.value();
}

void BluetoothService::requestPermission(std::function<void(bool granted)> completion) {
    QPointer<BluetoothService> self(this);
    m_devices->probe([self, completion = std::move(completion)](bool reachable) {
        if (!completion) return;
        completion(self ? self->authorization() == Authorization::allowedAlways : reachable);
    });
}

QList<BluetoothDevice> BluetoothService::connectedDevices() const {
    const QList<BluetoothDeviceInfo> all = m_devices->devices();
    const BatteryTable table = readBatteryTable(all);
    QList<BluetoothDevice> connected;
    for (const BluetoothDeviceInfo& info : all)
        if (info.paired && info.connected) connected.append(describe(info, table));
    return connected;
}

BluetoothService::BatteryTable BluetoothService::readBatteryTable() const {
    return readBatteryTable(m_devices->devices());
}

BluetoothService::BatteryTable BluetoothService::readBatteryTable(const QList<BluetoothDeviceInfo>& devices) {
    // Linux reports one level per device: earbud and case levels do not exist there.
    BatteryTable table;
    for (const BluetoothDeviceInfo& info : devices) {
        if (info.address.isEmpty() || !info.batteryPercentage || *info.batteryPercentage <= 0) continue;
        table.insert(normalisedAddress(info.address),
                     {{batteryKeys()[0], static_cast<double>(*info.batteryPercentage)}});
    }
    return table;
}

QString BluetoothService::normalisedAddress(const QString& address) {
    QString normalised = address;
    normalised.remove(QLatin1Char('-'));
    normalised.remove(QLatin1Char(':'));
    return normalised.toUpper();
}

void BluetoothService::applyBattery(BluetoothDevice& device, const BatteryTable& table) {
    const auto entry = table.constFind(normalisedAddress(device.address));
    if (entry == table.constEnd()) return;
    auto level = [&](const QString& key) -> std::optional<double> {
        const auto value = entry->constFind(key);
        if (value == entry->constEnd()) return std::nullopt;
        return *value / 100.0;
    };
    device.batteryPercent = level(batteryKeys()[0]);
    device.batteryLeft = level(batteryKeys()[1]);
    device.batteryRight = level(batteryKeys()[2]);
    device.batteryCase = level(batteryKeys()[3]);
}

QString BluetoothService::symbol(const QString& name) {
    return symbolFromName(name).value_or(QStringLiteral("headphones"));
}

QString BluetoothService::symbol(const QString& name, const QString& iconClass) {
    if (auto fromName = symbolFromName(name)) return *fromName;
    for (const IconRule& rule : iconRules)
        if (iconClass == QLatin1String(rule.iconClass)) return QString::fromLatin1(rule.symbol);
    return QStringLiteral("headphones");
}

BluetoothDevice BluetoothService::describe(const BluetoothDeviceInfo& info, const BatteryTable& table) {
    BluetoothDevice device;
    device.address =
        info.address.isEmpty() ? QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper() : info.address;
    if (!info.alias.isEmpty())
        device.name = info.alias;
    else if (!info.name.isEmpty())
        device.name = info.name;
    else if (!info.address.isEmpty())
        device.name = info.address;
    else
        device.name = QStringLiteral("Device");
    device.symbol = symbol(device.name, info.icon);
    applyBattery(device, table);
    return device;
}

void BluetoothService::deviceConnected(const BluetoothDeviceInfo& info) {
    if (!m_started) return;
    BluetoothDevice device = describe(info, {});
    const QString key = normalisedAddress(device.address);
    m_watched.insert(key);
    const quint64 generation = ++m_generations[key];

    QPointer<BluetoothService> self(this);
    onMainAfter(connectDelay, [self, key, generation, device]() mutable {
        if (!self || !self->m_started || self->m_generations.value(key) != generation) return;
        applyBattery(device, self->readBatteryTable());
        self->m_events.yield(BluetoothEvent::connected(device));
        const std::optional<double> lowest = device.lowestBattery();
        if (lowest && *lowest <= self->m_lowBatteryThreshold && !self->m_warned.contains(key)) {
            self->m_warned.insert(key);
            self->m_events.yield(BluetoothEvent::lowBattery(device, *lowest));
        }
    });
}

void BluetoothService::deviceDisconnected(const BluetoothDeviceInfo& info) {
    if (!m_started) return;
    const BluetoothDevice device = describe(info, {});
    const QString key = normalisedAddress(device.address);
    ++m_generations[key];
    m_warned.remove(key);
    if (!m_watched.remove(key)) return; // connected before we looked and never registered
    m_events.yield(BluetoothEvent::disconnected(device));
}

void BluetoothService::devicesChanged() {
    if (!m_started) return;
    // Devices found connected without a reported connection are watched silently; a
    // watched device that is no longer there or no longer connected (the daemon went
    // away meanwhile) is forgotten silently too.
    QSet<QString> connected;
    for (const BluetoothDeviceInfo& info : m_devices->devices()) {
        if (!info.connected || info.address.isEmpty()) continue;
        const QString key = normalisedAddress(info.address);
        connected.insert(key);
        if (info.paired) m_watched.insert(key);
    }
    for (auto it = m_watched.begin(); it != m_watched.end();) {
        if (connected.contains(*it)) {
            ++it;
            continue;
        }
        m_warned.remove(*it);
        ++m_generations[*it];
        it = m_watched.erase(it);
    }
}

} // namespace vesk
