#include "VeskPlatform/Session/DesktopPowerAssertion.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QDBusServiceWatcher>

#include <poll.h>

namespace vesk {

namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString screenSaverService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
const QString applicationName = QStringLiteral("VeskNotch");
constexpr int callTimeoutMs = 3000;

QDBusConnection busOf(bool system) {
    return system ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
}

} // namespace

DesktopPowerAssertion::DesktopPowerAssertion(QObject* parent) : PowerAssertion(parent) {
    watchOwner(Channel::logind);
    watchOwner(Channel::screenSaver);
}

DesktopPowerAssertion::~DesktopPowerAssertion() {
    release();
}

bool DesktopPowerAssertion::holds(Channel channel) const {
    return channel == Channel::logind ? m_inhibitor.isValid() : m_cookie.has_value();
}

void DesktopPowerAssertion::watchOwner(Channel channel) {
    const bool system = channel == Channel::logind;
    const QString& service = system ? login1Service : screenSaverService;
    std::optional<bool>* owned = system ? &m_logindOwned : &m_screenSaverOwned;
    QDBusConnection bus = busOf(system);
    if (!bus.isConnected()) {
        *owned = false;
        return;
    }
    auto* watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this, channel, owned](const QString&, const QString&, const QString& newOwner) {
                *owned = !newOwner.isEmpty();
                ownerChanged(channel, !newOwner.isEmpty());
            });
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
    m_reason = reason;
    const bool logind = take(Channel::logind);
    const bool screenSaver = take(Channel::screenSaver);
    m_held = logind || screenSaver;
    return m_held;
}

bool DesktopPowerAssertion::take(Channel channel) {
    const bool system = channel == Channel::logind;
    QDBusConnection bus = busOf(system);
    const std::optional<bool>& owned = system ? m_logindOwned : m_screenSaverOwned;
    if (!bus.isConnected() || !owned.value_or(true)) return false;
    const quint64 generation = m_generation;
    if (system) {
        QDBusMessage inhibit = QDBusMessage::createMethodCall(login1Service, login1Path, managerInterface,
                                                              QStringLiteral("Inhibit"));
        inhibit << QStringLiteral("idle") << applicationName << m_reason << QStringLiteral("block");
        m_logindPending = true;
        dbus::callAsync(bus, inhibit, callTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
            // A late answer to a released assertion closes its descriptor with the reply.
            if (generation != m_generation) return;
            const auto descriptor = dbus::replyValue<QDBusUnixFileDescriptor>(reply);
            const bool taken = descriptor && descriptor->isValid();
            if (taken) m_inhibitor = *descriptor;
            finishAttempt(Channel::logind, taken);
        });
        return true;
    }
    QDBusMessage inhibit = QDBusMessage::createMethodCall(screenSaverService, screenSaverPath,
                                                          screenSaverService, QStringLiteral("Inhibit"));
    inhibit << applicationName << m_reason;
    inhibit.setAutoStartService(false);
    m_screenSaverPending = true;
    dbus::callAsync(bus, inhibit, callTimeoutMs, this, [this, generation](const QDBusMessage& reply) {
        const std::optional<quint32> cookie = dbus::replyValue<quint32>(reply);
        if (generation != m_generation) {
            if (cookie) unInhibit(*cookie);
            return;
        }
        if (cookie) m_cookie = cookie;
        finishAttempt(Channel::screenSaver, cookie.has_value());
    });
    return true;
}

void DesktopPowerAssertion::finishAttempt(Channel channel, bool succeeded) {
    (channel == Channel::logind ? m_logindPending : m_screenSaverPending) = false;
    if (succeeded) return;
    checkStillHeld(channel == Channel::logind ? QStringLiteral("logind refused its inhibitor")
                                              : QStringLiteral("the screensaver refused its inhibitor"));
}

void DesktopPowerAssertion::ownerChanged(Channel channel, bool owned) {
    if (!m_held) return;
    if (channel == Channel::screenSaver) {
        // A cookie names an inhibition only to the owner that handed it out.
        m_cookie.reset();
        m_screenSaverPending = false;
    } else if (m_inhibitor.isValid() && inhibitorClosed(m_inhibitor)) {
        m_inhibitor = QDBusUnixFileDescriptor();
        m_logindPending = false;
    }
    if (owned && !holds(channel)) {
        take(channel);
        return;
    }
    checkStillHeld(channel == Channel::logind ? QStringLiteral("logind left and took its inhibitor")
                                              : QStringLiteral("the screensaver left with its inhibitor"));
}

void DesktopPowerAssertion::checkStillHeld(const QString& why) {
    if (!m_held || holds(Channel::logind) || holds(Channel::screenSaver) || m_logindPending ||
        m_screenSaverPending)
        return;
    release();
    Q_EMIT lost(why);
}

bool DesktopPowerAssertion::inhibitorClosed(const QDBusUnixFileDescriptor& descriptor) {
    // Ours is the writing end of logind's pipe: it reports an error once the reader is gone.
    pollfd entry{descriptor.fileDescriptor(), POLLOUT, 0};
    return ::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
}

void DesktopPowerAssertion::release() {
    ++m_generation;
    m_logindPending = false;
    m_screenSaverPending = false;
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
