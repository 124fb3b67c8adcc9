#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"

#include <QDBusArgument>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

#include <optional>

#include <unistd.h>

namespace vesk::test {

// What a mocked desktop session answers, for the session layers' tests.
namespace sessionmock {

inline const QString login1 = QStringLiteral("org.freedesktop.login1");
inline const QString login1Path = QStringLiteral("/org/freedesktop/login1");
inline const QString managerInterface = QStringLiteral("org.freedesktop.login1.Manager");
inline const QString sessionInterface = QStringLiteral("org.freedesktop.login1.Session");
inline const QString sessionPath = QStringLiteral("/org/freedesktop/login1/session/c1");
inline const QString notifications = QStringLiteral("org.freedesktop.Notifications");
inline const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");
inline const QString screenSaver = QStringLiteral("org.freedesktop.ScreenSaver");
inline const QString screenSaverPath = QStringLiteral("/org/freedesktop/ScreenSaver");
inline const QString gnomeScreenSaver = QStringLiteral("org.gnome.ScreenSaver");
inline const QString gnomeScreenSaverPath = QStringLiteral("/org/gnome/ScreenSaver");
// The cookie the fake screensaver hands out for an inhibition.
constexpr quint32 inhibitCookie = 4242;

// logind's inhibitors on the mock, each as (what, who, why, mode).
inline QList<QStringList> inhibitors(DBusMockControl& logind) {
    const QVariantList reply = logind.call(managerInterface, QStringLiteral("ListInhibitors"));
    QList<QStringList> list;
    if (reply.isEmpty()) return list;
    const QDBusArgument argument = reply.constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString what, who, why, mode;
        quint32 uid = 0, pid = 0;
        argument.beginStructure();
        argument >> what >> who >> why >> mode >> uid >> pid;
        argument.endStructure();
        list << QStringList{what, who, why, mode};
    }
    argument.endArray();
    return list;
}

} // namespace sessionmock

// The helpers below return an empty string on success, else what went wrong.

// dbusmock's logind with one active session "c1" (at sessionmock::sessionPath).
// The template has neither GetSessionByPID nor the "auto" session; each is added on
// request, with "auto" naming session c1 as logind does for the caller's session.
inline QString startLogind(PrivateBuses& buses, bool withSessionByPid, bool withAutoSession,
                           QProcess** process = nullptr) {
    using namespace sessionmock;
    QProcess* started = buses.startTemplate(QStringLiteral("logind"), login1, true);
    if (!started) return buses.error();
    if (process) *process = started;
    DBusMockControl logind(buses.system(), login1, login1Path);
    logind.call(
        DBusMockControl::mockInterface, QStringLiteral("AddSession"),
        {QStringLiteral("c1"), QStringLiteral("seat0"), quint32(::getuid()), QStringLiteral("tester"), true});
    if (withSessionByPid)
        logind.addMethod(managerInterface,
                         {QStringLiteral("GetSessionByPID"), QStringLiteral("u"), QStringLiteral("o"),
                          QStringLiteral("ret = dbus.ObjectPath('%1')").arg(sessionPath)});
    if (withAutoSession)
        logind.addObject(
            login1Path + QStringLiteral("/session/auto"), sessionInterface,
            {{QStringLiteral("Id"), QStringLiteral("c1")}, {QStringLiteral("LockedHint"), false}});
    return logind.lastError();
}

// A fake org.freedesktop.ScreenSaver on the session bus: GetActive, SetActive (which
// emits ActiveChanged), Inhibit (answers sessionmock::inhibitCookie) and UnInhibit, all
// there from the moment the name appears.
inline QString startFreedesktopScreenSaver(PrivateBuses& buses, QProcess** process = nullptr) {
    using namespace sessionmock;
    QProcess* started = buses.startTemplate(
        QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/freedesktop_screensaver.py"), screenSaver,
        false);
    if (!started) return buses.error();
    if (process) *process = started;
    return {};
}

// dbusmock's gnome_screensaver template (GetActive, SetActive emitting ActiveChanged).
inline QString startGnomeScreenSaver(PrivateBuses& buses) {
    return buses.startTemplate(QStringLiteral("gnome_screensaver"), sessionmock::gnomeScreenSaver, false)
               ? QString()
               : buses.error();
}

// A notification server on the session bus: dbusmock's notification_daemon, with the
// Inhibited property when `inhibited` is given (the stock template lacks it).
inline QProcess* startNotificationServer(PrivateBuses& buses, std::optional<bool> inhibited) {
    if (!inhibited)
        return buses.startTemplate(QStringLiteral("notification_daemon"), sessionmock::notifications, false);
    return buses.startTemplate(
        QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/notification_server_inhibited.py"),
        sessionmock::notifications, false,
        QStringLiteral("{\"Inhibited\": %1}").arg(*inhibited ? "true" : "false"));
}

} // namespace vesk::test
