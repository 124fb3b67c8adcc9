#include "VeskPlatform/Location/GeoClueLocationManager.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskKit/Foundation/UserDefaults.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
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

} // namespace

GeoClueLocationManager::GeoClueLocationManager(UserDefaults& defaults, std::optional<QDBusConnection> bus,
                                               QObject* parent)
    : LocationManager(parent), m_defaults(defaults), m_bus(bus.value_or(QDBusConnection::systemBus())) {
    if (m_defaults.boolValue(rememberedKey)) m_authorization = LocationAuthorization::authorizedWhenInUse;
    checkService();
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
                if (!dbus::replyValue<QStringList>(names).value_or(QStringList()).contains(service))
                    setAuthorization(LocationAuthorization::restricted);
            });
    });
}

void GeoClueLocationManager::requestWhenInUseAuthorization() {
    if (m_authorization != LocationAuthorization::notDetermined) return;
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

void GeoClueLocationManager::withClient(std::function<void()> then) {
    if (!m_client.isEmpty()) {
        then();
        return;
    }
    m_clientWaiters.append(std::move(then));
    if (m_clientPending) return;
    m_clientPending = true;
    const auto fail = [this](const QDBusMessage& reply) {
        m_clientPending = false;
        m_clientWaiters.clear();
        m_starting = false;
        if (denied(reply)) setAuthorization(LocationAuthorization::denied);
        finishFix(std::nullopt, reply.errorMessage());
    };
    dbus::callAsync(
        m_bus, call(managerPath, managerInterface, QStringLiteral("GetClient")), dbus::readTimeoutMs, this,
        [this, fail](const QDBusMessage& reply) {
            const auto path = dbus::replyValue<QDBusObjectPath>(reply);
            if (!path) return fail(reply);
            const QString client = path->path();
            m_bus.connect(service, client, clientInterface, QStringLiteral("LocationUpdated"), this,
                          SLOT(onLocationUpdated(QDBusMessage)));
            m_bus.connect(service, client, dbus::propertiesInterface, QStringLiteral("PropertiesChanged"),
                          this, SLOT(onClientPropertiesChanged(QDBusMessage)));
            dbus::callAsync(
                m_bus, clientProperty(client, QStringLiteral("DesktopId"), QStringLiteral("vesk-notch")),
                dbus::readTimeoutMs, this, [this, client, fail](const QDBusMessage& set) {
                    if (dbus::isError(set)) return fail(set);
                    dbus::callAsync(
                        m_bus, clientProperty(client, QStringLiteral("RequestedAccuracyLevel"), cityAccuracy),
                        dbus::readTimeoutMs, this, [this, client, fail](const QDBusMessage& level) {
                            if (dbus::isError(level)) return fail(level);
                            m_client = client;
                            m_clientPending = false;
                            const auto waiters = std::exchange(m_clientWaiters, {});
                            for (const auto& waiter : waiters)
                                waiter();
                        });
                });
        });
}

void GeoClueLocationManager::startClient() {
    if (m_started || m_starting) return;
    m_starting = true;
    withClient([this] {
        dbus::callAsync(m_bus, call(m_client, clientInterface, QStringLiteral("Start")), startTimeoutMs, this,
                        [this](const QDBusMessage& reply) {
                            m_starting = false;
                            if (dbus::isError(reply)) {
                                if (denied(reply)) setAuthorization(LocationAuthorization::denied);
                                finishFix(std::nullopt, reply.errorMessage());
                                return;
                            }
                            m_started = true;
                            setAuthorization(LocationAuthorization::authorizedWhenInUse);
                            // Only permission was asked for: stop until a fix is wanted.
                            if (!m_fixPending) stopClient();
                        });
    });
}

void GeoClueLocationManager::stopClient() {
    m_started = false;
    if (m_client.isEmpty()) return;
    dbus::callAsync(m_bus, call(m_client, clientInterface, QStringLiteral("Stop")), dbus::readTimeoutMs, this,
                    [](const QDBusMessage&) {});
}

void GeoClueLocationManager::onLocationUpdated(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (!m_fixPending || arguments.size() < 2) return;
    const auto path = dbus::valueOf<QDBusObjectPath>(arguments.at(1));
    if (path && path->path() != QLatin1String("/")) readLocation(path->path());
}

void GeoClueLocationManager::onClientPropertiesChanged(const QDBusMessage& message) {
    const QVariantList arguments = message.arguments();
    if (arguments.size() < 2) return;
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
