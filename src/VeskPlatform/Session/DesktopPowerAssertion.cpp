#include "VeskPlatform/Session/DesktopPowerAssertion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
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
    auto* answer = new QDBusPendingCallWatcher(bus.asyncCall(ask, callTimeoutMs), this);
    connect(answer, &QDBusPendingCallWatcher::finished, this, [owned](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<bool> reply = *finished;
        // An owner change seen meanwhile is newer than this answer.
        if (reply.isValid() && !owned->has_value()) *owned = reply.value();
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
        auto* watcher = new QDBusPendingCallWatcher(system.asyncCall(inhibit, callTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, generation](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
                    // A late answer to a released assertion closes its descriptor with the reply.
                    if (generation != m_generation) return;
                    const bool taken = reply.isValid() && reply.value().isValid();
                    if (taken) m_inhibitor = reply.value();
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
        auto* watcher = new QDBusPendingCallWatcher(session.asyncCall(inhibit, callTimeoutMs), this);
        connect(watcher, &QDBusPendingCallWatcher::finished, this,
                [this, generation](QDBusPendingCallWatcher* finished) {
                    finished->deleteLater();
                    const QDBusPendingReply<quint32> reply = *finished;
                    if (generation != m_generation) {
                        if (reply.isValid()) unInhibit(reply.value());
                        return;
                    }
                    if (reply.isValid()) m_cookie = reply.value();
                    finishAttempt(reply.isValid());
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
