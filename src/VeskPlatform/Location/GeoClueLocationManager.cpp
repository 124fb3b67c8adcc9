#include "VeskPlatform/Location/GeoClueLocationManager.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskKit/Foundation/UserDefaults.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QPointer>

namespace vesk {

namespace {

const QString service = QStringLiteral("org.freedesktop.GeoClue2");
const QString managerPath = QStringLiteral("/org/freedesktop/GeoClue2/Manager");
const QString managerInterface = QStringLiteral("org.freedesktop.GeoClue2.Manager");
const QString clientInterface = QStringLiteral("org.freedesktop.GeoClue2.Client");
const QString locationInterface = QStringLiteral("org.freedesktop.GeoClue2.Location");
const QString accessDenied = QStringLiteral("org.freedesktop.DBus.Error.AccessDenied");

// GeoClue's "city" level: the reduced accuracy the weather needs.
constexpr uint cityAccuracy = 4;
// Starting may wait for the desktop to ask the user.
constexpr int startTimeoutMs = 120000;

QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                  const QVariantList& arguments = {}) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    return message;
}

QDBusMessage clientProperty(const QString& path, const QString& name, const QVariant& value) {
    return call(path, dbus::propertiesInterface, QStringLiteral("Set"),
                {clientInterface, name, QVariant::fromValue(QDBusVariant(value))});
}

bool denied(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage && reply.errorName() == accessDenied;
}

// The daemon no longer knows the client (it restarted and numbers clients afresh).
bool unknownClient(const QDBusMessage& reply) {
    return reply.type() == QDBusMessage::ErrorMessage &&
           (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownObject") ||
            reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.UnknownMethod"));
}

} // namespace

GeoClueLocationManager::GeoClueLocationManager(UserDefaults& defaults, std::optional<QDBusConnection> bus,
                                               QObject* parent)
    : LocationManager(parent), m_defaults(defaults), m_bus(bus.value_or(QDBusConnection::systemBus())) {
    if (m_defaults.boolValue(rememberedKey)) m_authorization = LocationAuthorization::authorizedWhenInUse;
    checkService();
    watchOwner();
}

GeoClueLocationManager::~GeoClueLocationManager() {
    if (m_started) stopClient();
}

void GeoClueLocationManager::checkService() {
    QPointer<GeoClueLocationManager> self(this);
    if (!m_bus.isConnected()) {
        onMain([self] {
            if (self) self->setAuthorization(LocationAuthorization::restricted);
        });
        return;
    }
    const auto busCall = [](const QString& method) {
        return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/"),
                                              QStringLiteral("org.freedesktop.DBus"), method);
    };
    QDBusMessage hasOwner = busCall(QStringLiteral("NameHasOwner"));
    hasOwner << service;
    dbus::callAsync(m_bus, hasOwner, dbus::readTimeoutMs, this, [this, busCall](const QDBusMessage& reply) {
        if (dbus::replyValue<bool>(reply).value_or(false)) return;
        dbus::callAsync(
            m_bus, busCall(QStringLiteral("ListActivatableNames")), dbus::readTimeoutMs, this,
            [this](const QDBusMessage& names) {
                // The service may have appeared while we asked.
                if (m_serviceAppeared) return;
                if (!dbus::replyValue<QStringList>(names).value_or(QStringList()).contains(service))
                    setAuthorization(LocationAuthorization::restricted);
            });
    });
}

void GeoClueLocationManager::serviceAppeared() {
    m_serviceAppeared = true;
    if (m_authorization != LocationAuthorization::restricted) return;
    // As if it had been there at launch: a grant remembered from an earlier run holds,
    // so the next fix asks it; otherwise the user has yet to be asked.
    setAuthorization(m_defaults.boolValue(rememberedKey) ? LocationAuthorization::authorizedWhenInUse
                                                         : LocationAuthorization::notDetermined);
}

void GeoClueLocationManager::watchOwner() {
    if (!m_bus.isConnected()) return;
    auto* watcher = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (!newOwner.isEmpty()) serviceAppeared();
                // A client still being made is asked of whoever owns the name then.
                if (m_client.isEmpty() || newOwner == m_clientOwner) return;
                // Our client went with the daemon that made it; a fix under way asks the
                // next one (activation brings it back where it can).
                const bool wasRunning = m_started || m_starting;
                forgetClient();
                if (m_fixPending && wasRunning) startClient();
            });
}

void GeoClueLocationManager::forgetClient() {
    ++m_clientGeneration;
    if (!m_client.isEmpty()) {
        m_bus.disconnect(service, m_client, clientInterface, QStringLiteral("LocationUpdated"), this,
                         SLOT(onLocationUpdated(QDBusMessage)));
        m_bus.disconnect(service, m_client, dbus::propertiesInterface, QStringLiteral("PropertiesChanged"),
                         this, SLOT(onClientPropertiesChanged(QDBusMessage)));
    }
    m_client.clear();
    m_clientOwner.clear();
    m_clientPending = false;
    m_clientWaiters.clear();
    m_started = false;
    m_starting = false;
}

void GeoClueLocationManager::requestWhenInUseAuthorization() {
    if (m_authorization == LocationAuthorization::denied) {
        // The user asks again after a refusal (having changed the desktop's setting,
        // say): one fresh request, with a client of its own, so the answer is theirs.
        if (!m_started && !m_starting) forgetClient();
    } else if (m_authorization != LocationAuthorization::notDetermined) {
        return;
    }
    startClient();
}

void GeoClueLocationManager::requestLocation() {
    if (m_fixPending) return;
    m_fixPending = true;
    QPointer<GeoClueLocationManager> self(this);
    m_fixTimeout = mainScheduler().postAfter(fixTimeout, [self] {
        if (self) self->finishFix(std::nullopt, QStringLiteral("no location within 30 s"));
    });
    if (m_authorization == LocationAuthorization::restricted) {
        onMain([self] {
            if (self) self->finishFix(std::nullopt, QStringLiteral("there is no location service"));
        });
        return;
    }
    if (!m_started) {
        startClient();
        return;
    }
    // Already running (a permission request just started it): its location may be there.
    dbus::callAsync(m_bus, dbus::propertyGet(service, m_client, clientInterface, QStringLiteral("Location")),
                    dbus::readTimeoutMs, this, [this](const QDBusMessage& reply) {
                        const auto path = dbus::replyValue<QDBusObjectPath>(reply);
                        if (m_fixPending && path && path->path() != QLatin1String("/"))
                            readLocation(path->path());
                    });
}

void GeoClueLocationManager::withClient(std::function<void(bool fresh)> then) {
    if (!m_client.isEmpty()) {
        then(false);
        return;
    }
    m_clientWaiters.append(std::move(then));
    if (m_clientPending) return;
    m_clientPending = true;
    const quint64 generation = m_clientGeneration;
    const auto fail = [this](const QDBusMessage& reply) {
        m_clientPending = false;
        m_clientWaiters.clear();
        m_starting = false;
        // Asked afresh of whoever owns the name now: the answer is the user's.
        if (denied(reply)) setAuthorization(LocationAuthorization::denied);
        finishFix(std::nullopt, reply.errorMessage());
    };
    dbus::callAsync(
        m_bus, call(managerPath, managerInterface, QStringLiteral("GetClient")), dbus::readTimeoutMs, this,
        [this, fail, generation](const QDBusMessage& reply) {
            if (generation != m_clientGeneration) return;
            const auto path = dbus::replyValue<QDBusObjectPath>(reply);
            if (!path) return fail(reply);
            const QString client = path->path();
            const QString owner = reply.service();
            const auto configured = [this, client, owner, fail, generation](const QDBusMessage& level) {
                if (generation != m_clientGeneration) return;
                if (dbus::isError(level)) return fail(level);
                m_client = client;
                m_clientOwner = owner;
                // Before Start, which is when the client begins to report.
                m_bus.connect(service, client, clientInterface, QStringLiteral("LocationUpdated"), this,
                              SLOT(onLocationUpdated(QDBusMessage)));
                m_bus.connect(service, client, dbus::propertiesInterface, QStringLiteral("PropertiesChanged"),
                              this, SLOT(onClientPropertiesChanged(QDBusMessage)));
                m_clientPending = false;
                const auto waiters = std::exchange(m_clientWaiters, {});
                for (const auto& waiter : waiters)
                    waiter(true);
            };
            dbus::callAsync(
                m_bus, clientProperty(client, QStringLiteral("DesktopId"), QStringLiteral("vesk-notch")),
                dbus::readTimeoutMs, this,
                [this, client, fail, generation, configured](const QDBusMessage& set) {
                    if (generation != m_clientGeneration) return;
                    if (dbus::isError(set)) return fail(set);
                    dbus::callAsync(
                        m_bus, clientProperty(client, QStringLiteral("RequestedAccuracyLevel"), cityAccuracy),
                        dbus::readTimeoutMs, this, configured);
                });
        });
}

void GeoClueLocationManager::startClient(bool mayRetry) {
    if (m_started || m_starting) return;
    m_starting = true;
    withClient([this, mayRetry](bool fresh) {
        const quint64 generation = m_clientGeneration;
        const QString owner = m_clientOwner;
        dbus::callAsync(m_bus, call(m_client, clientInterface, QStringLiteral("Start")), startTimeoutMs, this,
                        [this, mayRetry, fresh, generation, owner](const QDBusMessage& reply) {
                            if (generation != m_clientGeneration) return;
                            m_starting = false;
                            if (!dbus::isError(reply)) {
                                m_started = true;
                                setAuthorization(LocationAuthorization::authorizedWhenInUse);
                                // Only permission was asked for: stop until a fix is wanted.
                                if (!m_fixPending) stopClient();
                                return;
                            }
                            // A refusal counts only from the daemon that just made the client for us;
                            // a kept client may since belong to another program under a new daemon.
                            const bool usersAnswer = denied(reply) && fresh && reply.service() == owner;
                            if (!usersAnswer && (unknownClient(reply) || denied(reply))) {
                                forgetClient();
                                if (mayRetry) return startClient(false);
                            }
                            if (usersAnswer) setAuthorization(LocationAuthorization::denied);
                            finishFix(std::nullopt, reply.errorMessage());
                        });
    });
}

void GeoClueLocationManager::stopClient() {
    m_started = false;
    if (m_client.isEmpty()) return;
    dbus::callAsync(m_bus, call(m_client, clientInterface, QStringLiteral("Stop")), dbus::readTimeoutMs, this,
                    [](const QDBusMessage&) {});
}

bool GeoClueLocationManager::fromOurClient(const QDBusMessage& message) const {
    // Another program's client may carry our old number under a new daemon.
    return message.path() == m_client && message.service() == m_clientOwner;
}

void GeoClueLocationManager::onLocationUpdated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!m_fixPending || arguments.size() < 2 || !fromOurClient(message)) return;
    const auto path = dbus::valueOf<QDBusObjectPath>(arguments.at(1));
    if (path && path->path() != QLatin1String("/")) readLocation(path->path());
}

void GeoClueLocationManager::onClientPropertiesChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2 || !fromOurClient(message)) return;
    const QVariantMap changed = dbus::toVariantMap(arguments.at(1));
    if (!changed.contains(QStringLiteral("Active")) || !m_started) return;
    if (dbus::valueOf<bool>(changed.value(QStringLiteral("Active"))).value_or(true)) return;
    // The desktop took the permission back while we were running.
    m_started = false;
    setAuthorization(LocationAuthorization::denied);
    finishFix(std::nullopt, QStringLiteral("the desktop stopped location"));
}

void GeoClueLocationManager::readLocation(const QString& path) {
    QDBusMessage getAll =
        call(path, dbus::propertiesInterface, QStringLiteral("GetAll"), {locationInterface});
    dbus::callAsync(m_bus, getAll, dbus::readTimeoutMs, this, [this](const QDBusMessage& reply) {
        if (!m_fixPending) return;
        if (dbus::isError(reply) || reply.arguments().isEmpty())
            return finishFix(std::nullopt,
                             QStringLiteral("the location could not be read: ") + reply.errorMessage());
        const QVariantMap properties = dbus::toVariantMap(reply.arguments().constFirst());
        const auto latitude = dbus::valueOf<double>(properties.value(QStringLiteral("Latitude")));
        const auto longitude = dbus::valueOf<double>(properties.value(QStringLiteral("Longitude")));
        if (!latitude || !longitude)
            return finishFix(std::nullopt, QStringLiteral("the location has no coordinates"));
        LocationFix fix{.latitude = *latitude, .longitude = *longitude, .timestamp = Date::now()};
        const QVariant stamp = dbus::plainValue(properties.value(QStringLiteral("Timestamp")));
        if (stamp.metaType() == QMetaType::fromType<QDBusArgument>()) {
            const QDBusArgument argument = stamp.value<QDBusArgument>();
            quint64 seconds = 0, micros = 0;
            argument.beginStructure();
            argument >> seconds >> micros;
            argument.endStructure();
            if (seconds > 0) fix.timestamp = Date::fromUnix(double(seconds) + double(micros) / 1e6);
        }
        finishFix(fix, {});
    });
}

void GeoClueLocationManager::finishFix(std::optional<LocationFix> fix, const QString& reason) {
    const bool wasPending = std::exchange(m_fixPending, false);
    m_fixTimeout.cancel();
    if (m_started) stopClient();
    if (!wasPending) return;
    if (fix)
        Q_EMIT locationsUpdated({*fix});
    else
        Q_EMIT failed(reason);
}

void GeoClueLocationManager::setAuthorization(LocationAuthorization authorization) {
    if (authorization == LocationAuthorization::authorizedWhenInUse) m_defaults.setBool(rememberedKey, true);
    if (authorization == LocationAuthorization::denied) m_defaults.setBool(rememberedKey, false);
    if (m_authorization == authorization) return;
    m_authorization = authorization;
    Q_EMIT authorizationChanged();
}

} // namespace vesk
