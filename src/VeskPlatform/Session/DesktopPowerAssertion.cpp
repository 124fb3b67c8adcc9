#include "VeskPlatform/Session/DesktopPowerAssertion.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString applicationName = QStringLiteral("VeskNotch");
constexpr int callTimeoutMs = 3000;

} // namespace

DesktopPowerAssertion::DesktopPowerAssertion(QObject* parent) : PowerAssertion(parent) {
    watchOwner(true, login1Service, &m_logindOwned);
    watchOwner(false, screenSaverService, &m_screenSaverOwned);
}

DesktopPowerAssertion::~DesktopPowerAssertion() {
    release();
}

void DesktopPowerAssertion::watchOwner(bool systemBus, const QString& service, std::optional<bool>* owned) {
    QDBusConnection bus = systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        *owned = false;
        return;
    }
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(
        watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
        [owned](const QString&, const QString&, const QString& newOwner) { *owned = !newOwner.isEmpty(); });
    QDBusMessage ask = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
    ask << service;
    dbus::callAsync(bus, ask, callTimeoutMs, this, [owned](const QDBusMessage& reply) {
        // An owner change seen meanwhile is newer than this answer.
        const std::optional<bool> hasOwner = dbus::replyValue<bool>(reply);
        if (hasOwner && !owned->has_value()) *owned = hasOwner;
    });
}

bool DesktopPowerAssertion::acquire(const QString& reason) {
    release();
    const quint64 generation = m_generation;
    m_pending = 0;
    m_anySucceeded = false;

    QDBusConnection system = QDBusConnection::systemBus();
    if (system.isConnected() && m_logindOwned.value_or(true)) {
        QDBusMessage inhibit = QDBusMessage::createMethodCall(login1Service, login1Path, managerInterface,
                                                              QStringLiteral("Inhibit"));
        inhibit << QStringLiteral("idle") << applicationName << reason << QStringLiteral("block");
        dbus::callAsync(system, inhibit, callTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
            // A late answer to a released assertion closes its descriptor with the reply.
            if (generation != m_generation) return;
            const auto descriptor = dbus::replyValue<QDBusUnixFileDescriptor>(reply);
            const bool taken = descriptor && descriptor->isValid();
            if (taken) m_inhibitor = *descriptor;
            finishAttempt(taken);
        });
        ++m_pending;
    }

    QDBusConnection session = QDBusConnection::sessionBus();
    if (session.isConnected() && m_screenSaverOwned.value_or(true)) {
        QDBusMessage inhibit = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath,
                                                              screenSaverService, QStringLiteral("Inhibit"));
        inhibit << applicationName << reason;
        inhibit.setAutoStartService(false);
        dbus::callAsync(session, inhibit, callTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
            const std::optional<quint32> cookie = dbus::replyValue<quint32>(reply);
            if (generation != m_generation) {
                if (cookie) unInhibit(*cookie);
                return;
            }
            if (cookie) m_cookie = cookie;
            finishAttempt(cookie.has_value());
        });
        ++m_pending;
    }

    if (m_pending == 0) return false;
    m_held = true;
    return true;
}

void DesktopPowerAssertion::finishAttempt(bool succeeded) {
    --m_pending;
    if (succeeded) m_anySucceeded = true;
    if (m_pending > 0 || m_anySucceeded) return;
    m_held = false;
    Q_EMIT lost();
}

void DesktopPowerAssertion::release() {
    ++m_generation;
    m_pending = 0;
    m_held = false;
    m_inhibitor = QDBusUnixFileDescriptor();
    if (m_cookie) unInhibit(*m_cookie);
    m_cookie.reset();
}

void DesktopPowerAssertion::unInhibit(quint32 cookie) {
    QDBusMessage message = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath,
                                                          screenSaverService, QStringLiteral("UnInhibit"));
    message << cookie;
    message.setAutoStartService(false);
    QDBusConnection::sessionBus().send(message);
}

} // namespace vesk
