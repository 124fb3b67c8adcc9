#include "VeskPlatform/Session/DesktopSessionEvents.h"

#include "VeskDBus/AsyncDBusCall.h"

#include <QCoreApplication>
#include <QDBusObjectPath>
#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// logind's name for "the caller's session, else the user's display session".
const QString autoSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString lockedHint = QStringLiteral("LockedHint");

struct ScreenSaverName {
    QString service;
    QString path;
    QString interface;
    const char* slot;
};

const ScreenSaverName& screenSaverName(int reporter) {
    static const ScreenSaverName freedesktop{
        QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
        QStringLiteral("org.freedesktop.ScreenSaver"), SLOT(onFreedesktopActiveChanged(bool))};
    static const ScreenSaverName gnome{
        QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
        QStringLiteral("org.gnome.ScreenSaver"), SLOT(onGnomeActiveChanged(bool))};
    return reporter == 1 ? freedesktop : gnome;
}

constexpr int callTimeoutMs = 2000;

QDBusMessage sessionProperty(const QString& path, const QString& name) {
    return dbus::propertyGet(login1Service, path, sessionInterface, name);
}

std::optional<QString> sessionPathIn(const QDBusMessage& reply) {
    const auto path = dbus::replyValue<QDBusObjectPath>(reply);
    return path ? std::optional(path->path()) : std::nullopt;
}

} // namespace

DesktopSessionEvents::DesktopSessionEvents(QObject* parent) : SessionEvents(parent) {}

DesktopSessionEvents::~DesktopSessionEvents() {
    stop();
}

bool DesktopSessionEvents::isLocked() const {
    for (bool active : m_active)
        if (active) return true;
    return false;
}

template <typename Handler>
void DesktopSessionEvents::call(bool systemBus, const QDBusMessage& message, Handler handler) {
    const quint64 generation = m_generation;
    dbus::callAsync(systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus(), message,
                    callTimeoutMs, this,
                    [this, generation, handler = std::move(handler)](const QDBusMessage& reply) {
                        if (generation == m_generation) handler(reply);
                    });
}

void DesktopSessionEvents::start() {
    stop();
    findSession();
    watchScreenSaver(freedesktopScreenSaver);
    watchScreenSaver(gnomeScreenSaver);
}

void DesktopSessionEvents::stop() {
    ++m_generation;
    if (!m_sessionPath.isEmpty())
        QDBusConnection::systemBus().disconnect(login1Service, m_sessionPath, dbus::propertiesInterface,
                                                QStringLiteral("PropertiesChanged"), this,
                                                SLOT(onSessionProperties(QString, QVariantMap, QStringList)));
    m_sessionPath.clear();
    for (int reporter : {freedesktopScreenSaver, gnomeScreenSaver}) {
        const ScreenSaverName& name = screenSaverName(reporter);
        if (m_watchers[reporter])
            QDBusConnection::sessionBus().disconnect(name.service, name.path, name.interface,
                                                     QStringLiteral("ActiveChanged"), this, name.slot);
        delete m_watchers[reporter];
        m_watchers[reporter] = nullptr;
    }
    m_active = {};
    m_heard = {};
}

void DesktopSessionEvents::findSession() {
    QDBusMessage message = QDBusMessage::createMethodCall(login1Service, login1Path, managerInterface,
                                                          QStringLiteral("GetSessionByPID"));
    message << static_cast<quint32>(QCoreApplication::applicationPid());
    call(true, message, [this](const QDBusMessage& reply) {
        if (const std::optional<QString> path = sessionPathIn(reply))
            followSession(*path);
        else
            // Started outside the session (by a user service, say): ask for the display session.
            findSessionThroughAuto();
    });
}

void DesktopSessionEvents::findSessionThroughAuto() {
    call(true, sessionProperty(autoSessionPath, QStringLiteral("Id")), [this](const QDBusMessage& reply) {
        const std::optional<QString> id = dbus::replyValue<QString>(reply);
        if (!id || id->isEmpty()) return;
        // Signals come from the session's own path, never from "auto".
        QDBusMessage message = QDBusMessage::createMethodCall(login1Service, login1Path, managerInterface,
                                                              QStringLiteral("GetSession"));
        message << *id;
        call(true, message, [this](const QDBusMessage& sessionReply) {
            if (const std::optional<QString> path = sessionPathIn(sessionReply)) followSession(*path);
        });
    });
}

void DesktopSessionEvents::followSession(const QString& path) {
    m_sessionPath = path;
    QDBusConnection::systemBus().connect(login1Service, path, dbus::propertiesInterface,
                                         QStringLiteral("PropertiesChanged"), this,
                                         SLOT(onSessionProperties(QString, QVariantMap, QStringList)));
    readLockedHint();
}

void DesktopSessionEvents::readLockedHint() {
    call(true, sessionProperty(m_sessionPath, lockedHint), [this](const QDBusMessage& reply) {
        if (const std::optional<bool> locked = dbus::replyValue<bool>(reply)) update(logind, *locked, false);
    });
}

void DesktopSessionEvents::onSessionProperties(const QString& interface, const QVariantMap& changed,
                                               const QStringList& invalidated) {
    if (interface != sessionInterface) return;
    if (const auto it = changed.constFind(lockedHint); it != changed.constEnd()) {
        if (const std::optional<bool> locked = dbus::valueOf<bool>(*it)) update(logind, *locked, true);
    } else if (invalidated.contains(lockedHint)) {
        m_heard[logind] = true;
        call(true, sessionProperty(m_sessionPath, lockedHint), [this](const QDBusMessage& reply) {
            if (const std::optional<bool> locked = dbus::replyValue<bool>(reply))
                update(logind, *locked, true);
        });
    }
}

void DesktopSessionEvents::watchScreenSaver(Reporter reporter) {
    const ScreenSaverName& name = screenSaverName(reporter);
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(name.service, name.path, name.interface, QStringLiteral("ActiveChanged"), this, name.slot);
    auto* watcher = new QDBusServiceWatcher(
        name.service, bus,
        QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    m_watchers[reporter] = watcher;
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this,
            [this, reporter] { readScreenSaver(reporter, true); });
    // A screensaver that went away no longer keeps the screen locked.
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this,
            [this, reporter] { update(reporter, false, true); });
    readScreenSaver(reporter, false);
}

void DesktopSessionEvents::readScreenSaver(Reporter reporter, bool announce) {
    const ScreenSaverName& name = screenSaverName(reporter);
    QDBusMessage message =
        QDBusMessage::createMethodCall(name.service, name.path, name.interface, QStringLiteral("GetActive"));
    message.setAutoStartService(false);
    call(false, message, [this, reporter, announce](const QDBusMessage& reply) {
        if (const std::optional<bool> active = dbus::replyValue<bool>(reply))
            update(reporter, *active, announce);
    });
}

void DesktopSessionEvents::onFreedesktopActiveChanged(bool active) {
    update(freedesktopScreenSaver, active, true);
}

void DesktopSessionEvents::onGnomeActiveChanged(bool active) {
    update(gnomeScreenSaver, active, true);
}

void DesktopSessionEvents::update(Reporter reporter, bool active, bool announce) {
    if (!announce) {
        // The state found at the start is taken silently, unless a signal overtook it.
        if (!m_heard[reporter]) m_active[reporter] = active;
        return;
    }
    m_heard[reporter] = true;
    const bool before = isLocked();
    m_active[reporter] = active;
    const bool after = isLocked();
    if (before != after) Q_EMIT lockedChanged(after);
}

} // namespace vesk
