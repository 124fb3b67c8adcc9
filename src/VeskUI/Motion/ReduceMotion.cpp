#include "VeskUI/Motion/ReduceMotion.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QCoreApplication>
#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");
constexpr int readTimeoutMs = 2000;

} // namespace

ReduceMotion& ReduceMotion::shared() {
    static ReduceMotion* instance =
        new ReduceMotion(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *instance;
}

ReduceMotion::ReduceMotion(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) return;
    dbus::registerSlotTypes();
    m_bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                  SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    m_watcher =
        new QDBusServiceWatcher(portalService, m_bus, QDBusServiceWatcher::WatchForRegistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] { read(); });
    read();
}

void ReduceMotion::read() {
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, QStringLiteral("Read"));
    call << interfaceNamespace << animationsKey;
    // Read answers a variant inside a variant on older portals and a plain one on newer.
    dbus::callAsync(m_bus, call, readTimeoutMs, this, [this](const QDBusMessage& reply) {
        // No portal, or a portal without this setting: animations stay as they are.
        apply(dbus::replyValue<bool>(reply));
        m_answered = true;
        Q_EMIT answered();
    });
}

void ReduceMotion::onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value) {
    if (nameSpace == interfaceNamespace && key == animationsKey) apply(dbus::valueOf<bool>(value.variant()));
}

void ReduceMotion::apply(std::optional<bool> enableAnimations) {
    if (!enableAnimations) return;
    const bool on = !*enableAnimations;
    if (m_on.exchange(on) != on) Q_EMIT changed(on);
}

} // namespace vesk
