#include "VeskPlatform/Session/DesktopDoNotDisturb.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskPlatform/Session/GSettingsBooleanKey.h"

#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString notificationsService = QStringLiteral("org.freedesktop.Notifications");
const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
const QString inhibitedProperty = QStringLiteral("Inhibited");
const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString bannersSchema = QStringLiteral("org.gnome.desktop.notifications");
const QString bannersKey = QStringLiteral("show-banners");

// A notification server that does not answer at once is treated as having no switch.
constexpr int notificationServerTimeoutMs = 2000;
// The portal may be started on demand by the bus, which takes a moment.
constexpr int portalTimeoutMs = 4000;

} // namespace

DesktopDoNotDisturb::DesktopDoNotDisturb(QObject* parent) : DoNotDisturb(parent) {}

DesktopDoNotDisturb::~DesktopDoNotDisturb() {
    stop();
}

void DesktopDoNotDisturb::start() {
    stop();
    m_following = true;
    if (QDBusConnection::sessionBus().isConnected()) {
        tryNotificationServer();
    } else {
        // Without a session bus GSettings can still be read; answer on the next turn
        // all the same, so callers always hear of the start after start() returns.
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (generation == m_generation) tryGSettings();
            },
            Qt::QueuedConnection);
    }
}

void DesktopDoNotDisturb::stop() {
    ++m_generation;
    m_following = false;
    disconnectSignals();
    m_banners.reset();
    delete m_serverWatcher;
    m_serverWatcher = nullptr;
    m_source = Source::none;
    m_active = false;
}

void DesktopDoNotDisturb::disconnectSignals() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    bus.disconnect(notificationsService, notificationsPath, dbus::propertiesInterface,
                   QStringLiteral("PropertiesChanged"), this,
                   SLOT(onNotificationProperties(QString, QVariantMap, QStringList)));
    bus.disconnect(portalService, portalPath, portalSettings, QStringLiteral("SettingChanged"), this,
                   SLOT(onPortalSettingChanged(QString, QString, QDBusVariant)));
}

void DesktopDoNotDisturb::tryNotificationServer() {
    // Subscribed before the first read, so no change can fall between the two.
    QDBusConnection::sessionBus().connect(notificationsService, notificationsPath, dbus::propertiesInterface,
                                          QStringLiteral("PropertiesChanged"), this,
                                          SLOT(onNotificationProperties(QString, QVariantMap, QStringList)));
    readInhibited(true);
}

void DesktopDoNotDisturb::readInhibited(bool starting) {
    QDBusMessage call =
        dbus::propertyGet(notificationsService, notificationsPath, notificationsService, inhibitedProperty);
    // Asking must not launch a notification daemon that was not running.
    call.setAutoStartService(false);
    const quint64 generation = m_generation;
    dbus::callAsync(QDBusConnection::sessionBus(), call, notificationServerTimeoutMs, this,
                    [this, generation, starting](const QDBusMessage& reply) {
                        if (generation != m_generation) return;
                        const std::optional<bool> inhibited = dbus::replyValue<bool>(reply);
                        if (!starting) {
                            if (inhibited && m_source == Source::notificationServer) report(*inhibited);
                            return;
                        }
                        if (!inhibited) {
                            disconnectSignals();
                            tryPortal();
                            return;
                        }
                        // A restarted server may come back with the switch in another position.
                        m_serverWatcher =
                            new QDBusServiceWatcher(notificationsService, QDBusConnection::sessionBus(),
                                                    QDBusServiceWatcher::WatchForRegistration, this);
                        connect(m_serverWatcher, &QDBusServiceWatcher::serviceRegistered, this,
                                [this] { readInhibited(false); });
                        settle(Source::notificationServer, *inhibited);
                    });
}

void DesktopDoNotDisturb::onNotificationProperties(const QString& interface, const QVariantMap& changed,
                                                   const QStringList& invalidated) {
    if (m_source != Source::notificationServer || interface != notificationsService) return;
    if (const auto it = changed.constFind(inhibitedProperty); it != changed.constEnd()) {
        if (const std::optional<bool> inhibited = dbus::valueOf<bool>(*it)) report(*inhibited);
    } else if (invalidated.contains(inhibitedProperty)) {
        readInhibited(false);
    }
}

void DesktopDoNotDisturb::tryPortal() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    dbus::registerSlotTypes();
    bus.connect(portalService, portalPath, portalSettings, QStringLiteral("SettingChanged"), this,
                SLOT(onPortalSettingChanged(QString, QString, QDBusVariant)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, QStringLiteral("Read"));
    call << bannersSchema << bannersKey;
    const quint64 generation = m_generation;
    // Older portals wrap the value of Read in a second variant; replyValue sees through it.
    dbus::callAsync(bus, call, portalTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        if (const std::optional<bool> banners = dbus::replyValue<bool>(reply)) {
            settle(Source::settingsPortal, !*banners);
            return;
        }
        disconnectSignals();
        tryGSettings();
    });
}

void DesktopDoNotDisturb::onPortalSettingChanged(const QString& nameSpace, const QString& key,
                                                 const QDBusVariant& value) {
    if (m_source != Source::settingsPortal || nameSpace != bannersSchema || key != bannersKey) return;
    if (const std::optional<bool> banners = dbus::valueOf<bool>(value.variant())) report(!*banners);
}

void DesktopDoNotDisturb::tryGSettings() {
    m_banners = GSettingsBooleanKey::open(bannersSchema, bannersKey, [this](bool banners) {
        if (m_source == Source::gsettings) report(!banners);
    });
    if (m_banners)
        settle(Source::gsettings, !m_banners->value());
    else
        settle(Source::none, false);
}

void DesktopDoNotDisturb::settle(Source source, bool active) {
    m_source = source;
    m_active = active;
    Q_EMIT started(active);
}

void DesktopDoNotDisturb::report(bool active) {
    if (!m_following || active == m_active) return;
    m_active = active;
    Q_EMIT activeChanged(active);
}

} // namespace vesk
