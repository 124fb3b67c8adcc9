#include "VeskPlatform/Power/UPowerPowerSources.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskPlatform/Power/PowerProfilesMonitor.h"

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

#include <cmath>
#include <limits>

namespace vesk {

namespace {

const QString upowerService = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString upowerInterface = QStringLiteral("org.freedesktop.UPower");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString propertiesChanged = QStringLiteral("PropertiesChanged");

// UPower's device states.
constexpr uint stateCharging = 1;
constexpr uint stateFullyCharged = 4;

std::optional<int> wholeMinutes(const QVariant& seconds) {
    if (!seconds.isValid()) return std::nullopt;
    bool ok = false;
    const qlonglong value = seconds.toLongLong(&ok);
    if (!ok) return std::nullopt;
    const qlonglong minutes = value / 60;
    if (minutes > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    return static_cast<int>(minutes);
}

QVariantMap merged(QVariantMap base, const QVariantMap& changes) {
    for (auto it = changes.constBegin(); it != changes.constEnd(); ++it)
        base.insert(it.key(), dbus::plainValue(it.value()));
    return base;
}

QVariantMap plainMap(const QVariantMap& map) {
    return merged({}, map);
}

} // namespace

UPowerPowerSources::UPowerPowerSources(QDBusConnection bus, QObject* parent)
    : PowerSources(parent), m_bus(std::move(bus)) {
    m_profiles = new PowerProfilesMonitor(m_bus, this);
    connect(m_profiles, &PowerProfilesMonitor::ready, this, &UPowerPowerSources::updateReady);
    connect(m_profiles, &PowerProfilesMonitor::powerSaverChanged, this, [this] {
        if (m_ready) Q_EMIT lowPowerModeChanged();
    });
    // Readers take the daemon's coming or going as a new reading, not as a change.
    connect(m_profiles, &PowerProfilesMonitor::startingPointChanged, this, [this] {
        if (m_ready) Q_EMIT powerSourcesChanged();
    });
}

UPowerPowerSources::~UPowerPowerSources() = default;

bool UPowerPowerSources::start() {
    if (m_started) return m_bus.isConnected();
    m_started = true;
    if (!m_bus.isConnected()) return false;

    m_watcher =
        new QDBusServiceWatcher(upowerService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { fetch(); });
    m_bus.connect(upowerService, upowerPath, dbus::propertiesInterface, propertiesChanged, {upowerInterface},
                  QString(), this, SLOT(onDaemonPropertiesChanged(QDBusMessage)));
    m_profiles->start();
    fetch();
    return true;
}

bool UPowerPowerSources::isReady() const {
    return m_ready;
}

bool UPowerPowerSources::isLowPowerModeEnabled() const {
    return m_profiles->isPowerSaver();
}

std::optional<PowerSourceDescription> UPowerPowerSources::firstPowerSource() const {
    return describe(m_daemon, m_device);
}

std::optional<PowerSourceDescription> UPowerPowerSources::describe(const QVariantMap& daemon,
                                                                   const QVariantMap& device) {
    // Desktops and virtual machines have a display device too, never present.
    if (!device.value(QStringLiteral("IsPresent")).toBool()) return std::nullopt;

    PowerSourceDescription description;
    const QVariant percentage = device.value(QStringLiteral("Percentage"));
    bool ok = false;
    const double percent = percentage.toDouble(&ok);
    if (percentage.isValid() && ok && std::isfinite(percent) && percent >= 0 && percent <= 100) {
        description.currentCapacity = percent;
        description.maxCapacity = 100.0;
    }
    const QVariant state = device.value(QStringLiteral("State"));
    if (state.isValid()) {
        description.isCharging = state.toUInt() == stateCharging;
        description.isCharged = state.toUInt() == stateFullyCharged;
    }
    const QVariant onBattery = daemon.value(QStringLiteral("OnBattery"));
    if (onBattery.isValid())
        description.powerSourceState =
            onBattery.toBool() ? PowerSourceDescription::batteryPower() : PowerSourceDescription::acPower();
    description.timeToEmpty = wholeMinutes(device.value(QStringLiteral("TimeToEmpty")));
    description.timeToFullCharge = wholeMinutes(device.value(QStringLiteral("TimeToFull")));
    return description;
}

void UPowerPowerSources::fetch() {
    const quint64 generation = ++m_generation;
    m_partsPending = 2;

    QDBusMessage getAll = QDBusMessage::createMethodCall(upowerService, upowerPath, dbus::propertiesInterface,
                                                         QStringLiteral("GetAll"));
    getAll << upowerInterface;
    dbus::callAsync(m_bus, getAll, dbus::readTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        if (!dbus::isError(reply) && !reply.arguments().isEmpty())
            m_daemon = plainMap(dbus::toVariantMap(reply.arguments().constFirst()));
        finishPart(generation);
    });

    QDBusMessage display = QDBusMessage::createMethodCall(upowerService, upowerPath, upowerInterface,
                                                          QStringLiteral("GetDisplayDevice"));
    dbus::callAsync(m_bus, display, dbus::readTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        const std::optional<QDBusObjectPath> path = dbus::replyValue<QDBusObjectPath>(reply);
        if (!path) {
            finishPart(generation);
            return;
        }
        watchDevice(path->path());
        fetchDevice(generation);
    });
}

void UPowerPowerSources::watchDevice(const QString& path) {
    if (path == m_devicePath) return;
    if (!m_devicePath.isEmpty())
        m_bus.disconnect(upowerService, m_devicePath, dbus::propertiesInterface, propertiesChanged,
                         {deviceInterface}, QString(), this, SLOT(onDevicePropertiesChanged(QDBusMessage)));
    m_devicePath = path;
    m_device.clear();
    m_bus.connect(upowerService, m_devicePath, dbus::propertiesInterface, propertiesChanged,
                  {deviceInterface}, QString(), this, SLOT(onDevicePropertiesChanged(QDBusMessage)));
}

void UPowerPowerSources::fetchDevice(quint64 generation) {
    QDBusMessage getAll = QDBusMessage::createMethodCall(upowerService, m_devicePath,
                                                         dbus::propertiesInterface, QStringLiteral("GetAll"));
    getAll << deviceInterface;
    dbus::callAsync(m_bus, getAll, dbus::readTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        if (!dbus::isError(reply) && !reply.arguments().isEmpty())
            m_device = plainMap(dbus::toVariantMap(reply.arguments().constFirst()));
        finishPart(generation);
    });
}

void UPowerPowerSources::finishPart(quint64 generation) {
    if (generation != m_generation || --m_partsPending > 0) return;
    if (!m_upowerResolved) {
        m_upowerResolved = true;
        updateReady();
    } else if (m_ready) {
        // A daemon that came (back): whatever it says now is news.
        Q_EMIT powerSourcesChanged();
    }
}

void UPowerPowerSources::updateReady() {
    if (m_ready || !m_upowerResolved || !m_profiles->isReady()) return;
    m_ready = true;
    Q_EMIT powerSourcesChanged();
}

void UPowerPowerSources::changed(const std::optional<PowerSourceDescription>& before) {
    if (m_ready && firstPowerSource() != before) Q_EMIT powerSourcesChanged();
}

void UPowerPowerSources::onDaemonPropertiesChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2) return;
    const auto before = firstPowerSource();
    m_daemon = merged(m_daemon, dbus::toVariantMap(args.at(1)));
    changed(before);
    if (args.size() > 2 && !args.at(2).toStringList().isEmpty()) fetch();
}

void UPowerPowerSources::onDevicePropertiesChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || message.path() != m_devicePath) return;
    const auto before = firstPowerSource();
    m_device = merged(m_device, dbus::toVariantMap(args.at(1)));
    changed(before);
    if (args.size() > 2 && !args.at(2).toStringList().isEmpty()) fetch();
}

} // namespace vesk
