#include "VeskUI/Motion/ReduceMotion.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

namespace vesk {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString interfaceNamespace = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");
constexpr int readTimeoutMs = 2000;

// Read answers a variant inside a variant on older portals and a plain one on newer.
QVariant unwrap(QVariant value) {
    for (int depth = 0; depth < 4 && value.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth)
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

ReduceMotion& ReduceMotion::shared() {
    static ReduceMotion* instance =
        new ReduceMotion(QDBusConnection::sessionBus(), QCoreApplication::instance());
    return *instance;
}

ReduceMotion::ReduceMotion(const QDBusConnection& bus, QObject* parent) : QObject(parent), m_bus(bus) {
    if (!m_bus.isConnected()) return;
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
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call, readTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        // No portal, or a portal without this setting: animations stay as they are.
        if (!reply.isError()) apply(unwrap(reply.argumentAt(0)));
        m_answered = true;
        Q_EMIT answered();
    });
}

void ReduceMotion::onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value) {
    if (nameSpace == interfaceNamespace && key == animationsKey) apply(unwrap(value.variant()));
}

void ReduceMotion::apply(const QVariant& enableAnimations) {
    if (enableAnimations.metaType() != QMetaType::fromType<bool>()) return;
    const bool on = !enableAnimations.toBool();
    if (m_on.exchange(on) != on) Q_EMIT changed(on);
}

} // namespace vesk
