#include "VeskPlatform/Power/PowerProfilesMonitor.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString activeProfileKey = QStringLiteral("ActiveProfile");
const QString powerSaverProfile = QStringLiteral("power-saver");

} // namespace

PowerProfilesMonitor::PowerProfilesMonitor(QDBusConnection bus, QObject* parent)
    : QObject(parent), m_bus(std::move(bus)) {
    // Newer name first: when both are served they are the same daemon.
    m_endpoints[0].service = QStringLiteral("org.freedesktop.UPower.PowerProfiles");
    m_endpoints[0].path = QStringLiteral("/org/freedesktop/UPower/PowerProfiles");
    m_endpoints[1].service = QStringLiteral("net.hadess.PowerProfiles");
    m_endpoints[1].path = QStringLiteral("/net/hadess/PowerProfiles");
}

bool PowerProfilesMonitor::isReady() const {
    for (const Endpoint& endpoint : m_endpoints)
        if (!endpoint.resolved) return false;
    return true;
}

std::optional<QString> PowerProfilesMonitor::activeProfile() const {
    for (const Endpoint& endpoint : m_endpoints)
        if (endpoint.profile) return endpoint.profile;
    return std::nullopt;
}

void PowerProfilesMonitor::start() {
    if (m_started) return;
    m_started = true;
    if (!m_bus.isConnected()) {
        for (Endpoint& endpoint : m_endpoints)
            endpoint.resolved = true;
        update();
        return;
    }

    m_watcher = new QDBusServiceWatcher(this);
    m_watcher->setConnection(m_bus);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    for (Endpoint& endpoint : m_endpoints) {
        m_watcher->addWatchedService(endpoint.service);
        // The interface carries the daemon's own name in both releases.
        m_bus.connect(endpoint.service, endpoint.path, dbus::propertiesInterface,
                      QStringLiteral("PropertiesChanged"), {endpoint.service}, QString(), this,
                      SLOT(onPropertiesChanged(QDBusMessage)));
    }
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString& service, const QString&, const QString& newOwner) {
                for (Endpoint& endpoint : m_endpoints) {
                    if (endpoint.service != service) continue;
                    if (newOwner.isEmpty()) {
                        ++endpoint.generation; // an answer still in flight is stale
                        endpoint.profile.reset();
                        endpoint.resolved = true;
                        update(true);
                    } else {
                        fetch(endpoint, true);
                    }
                }
            });
    for (Endpoint& endpoint : m_endpoints)
        fetch(endpoint);
}

void PowerProfilesMonitor::fetch(Endpoint& endpoint, bool startingPoint) {
    const quint64 generation = ++endpoint.generation;
    const QDBusMessage get =
        dbus::propertyGet(endpoint.service, endpoint.path, endpoint.service, activeProfileKey);
    Endpoint* target = &endpoint;
    dbus::callAsync(m_bus, get, dbus::readTimeoutMs, this,
                    [this, target, generation, startingPoint](const QDBusMessage& reply) {
                        if (target->generation != generation) return;
                        target->profile = dbus::replyValue<QString>(reply);
                        target->resolved = true;
                        update(startingPoint);
                    });
}

PowerProfilesMonitor::Endpoint* PowerProfilesMonitor::endpointFor(const QString& path) {
    for (Endpoint& endpoint : m_endpoints)
        if (endpoint.path == path) return &endpoint;
    return nullptr;
}

void PowerProfilesMonitor::onPropertiesChanged(const QDBusMessage& message) {
    Endpoint* endpoint = endpointFor(message.path());
    const QVariantList args = message.arguments();
    if (!endpoint || args.size() < 2) return;
    const QVariantMap changed = dbus::toVariantMap(args.at(1));
    const QStringList invalidated = args.size() > 2 ? args.at(2).toStringList() : QStringList();
    if (changed.contains(activeProfileKey)) {
        ++endpoint->generation; // newer than any read in flight
        endpoint->profile = dbus::plainValue(changed.value(activeProfileKey)).toString();
        endpoint->resolved = true;
        update();
    } else if (invalidated.contains(activeProfileKey)) {
        fetch(*endpoint);
    }
}

void PowerProfilesMonitor::update(bool startingPoint) {
    const bool powerSaver = activeProfile() == powerSaverProfile;
    const bool changed = powerSaver != m_powerSaver;
    m_powerSaver = powerSaver;
    if (!m_announcedReady) {
        if (!isReady()) return;
        m_announcedReady = true;
        Q_EMIT ready();
        return;
    }
    if (!changed) return;
    if (startingPoint)
        Q_EMIT startingPointChanged();
    else
        Q_EMIT powerSaverChanged();
}

} // namespace vesk
