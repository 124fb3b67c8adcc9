#include "VeskPlatform/Session/DesktopSessionEvents.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

#include <optional>

namespace vesk {

namespace {

const QString login1Service = QStringLiteral("org.freedesktop.login1");
const QString login1Path = QStringLiteral("/org/freedesktop/login1");
const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// logind's name for "the caller's session, else the user's display session".
const QString autoSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
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

std::optional<QVariant> firstArgument(const QDBusMessage& reply) {
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return std::nullopt;
    QVariant value = reply.arguments().constFirst();
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

std::optional<bool> boolIn(const std::optional<QVariant>& value) {
    if (!value || value->metaType() != QMetaType::fromType<bool>()) return std::nullopt;
    return value->toBool();
}

QDBusMessage propertyGet(const QString& path, const QString& interface, const QString& name) {
    QDBusMessage message =
        QDBusMessage::createMethodCall(login1Service, path, propertiesInterface, QStringLiteral("Get"));
    message << interface << name;
    return message;
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
    QDBusConnection bus = systemBus ? QDBusConnection::systemBus() : QDBusConnection::sessionBus();
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(message, callTimeoutMs), this);
    const quint64 generation = m_generation;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, generation, handler = std::move(handler)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                if (generation == m_generation) handler(finished->reply());
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
        QDBusConnection::systemBus().disconnect(login1Service, m_sessionPath, propertiesInterface,
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
        const std::optional<QVariant> path = firstArgument(reply);
        if (path && path->metaType() == QMetaType::fromType<QDBusObjectPath>())
            followSession(path->value<QDBusObjectPath>().path());
        else
            // Started outside the session (by a user service, say): ask for the display session.
            findSessionThroughAuto();
    });
}

void DesktopSessionEvents::findSessionThroughAuto() {
    call(true, propertyGet(autoSessionPath, sessionInterface, QStringLiteral("Id")),
         [this](const QDBusMessage& reply) {
             const std::optional<QVariant> id = firstArgument(reply);
             if (!id || id->metaType() != QMetaType::fromType<QString>() || id->toString().isEmpty()) return;
             // Signals come from the session's own path, never from "auto".
             QDBusMessage message = QDBusMessage::createMethodCall(
                 login1Service, login1Path, managerInterface, QStringLiteral("GetSession"));
             message << id->toString();
             call(true, message, [this](const QDBusMessage& sessionReply) {
                 const std::optional<QVariant> path = firstArgument(sessionReply);
                 if (path && path->metaType() == QMetaType::fromType<QDBusObjectPath>())
                     followSession(path->value<QDBusObjectPath>().path());
             });
         });
}

void DesktopSessionEvents::followSession(const QString& path) {
    m_sessionPath = path;
    QDBusConnection::systemBus().connect(login1Service, path, propertiesInterface,
                                         QStringLiteral("PropertiesChanged"), this,
                                         SLOT(onSessionProperties(QString, QVariantMap, QStringList)));
    readLockedHint();
}

void DesktopSessionEvents::readLockedHint() {
    call(true, propertyGet(m_sessionPath, sessionInterface, lockedHint), [this](const QDBusMessage& reply) {
        if (const std::optional<bool> locked = boolIn(firstArgument(reply))) update(logind, *locked, false);
    });
}

void DesktopSessionEvents::onSessionProperties(const QString& interface, const QVariantMap& changed,
                                               const QStringList& invalidated) {
    if (interface != sessionInterface) return;
    if (const auto it = changed.constFind(lockedHint); it != changed.constEnd()) {
        if (const std::optional<bool> locked = boolIn(*it)) update(logind, *locked, true);
    } else if (invalidated.contains(lockedHint)) {
        m_heard[logind] = true;
        call(true, propertyGet(m_sessionPath, sessionInterface, lockedHint),
             [this](const QDBusMessage& reply) {
                 if (const std::optional<bool> locked = boolIn(firstArgument(reply)))
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
        if (const std::optional<bool> active = boolIn(firstArgument(reply)))
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
