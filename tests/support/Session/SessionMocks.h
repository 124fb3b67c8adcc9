#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"

#include <QString>

#include <optional>

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

} // namespace sessionmock

// dbusmock's logind with one active session "c1" (at sessionmock::sessionPath).
// The template has neither GetSessionByPID nor the "auto" session; each is added on
// request, with "auto" naming session c1 as logind does for the caller's session.
// Returns an empty string on success, else what went wrong.
QString startLogind(PrivateBuses& buses, bool withSessionByPid, bool withAutoSession);

// A fake org.freedesktop.ScreenSaver on the session bus: GetActive, SetActive (which
// emits ActiveChanged), Inhibit (answers sessionmock::inhibitCookie) and UnInhibit.
QString startFreedesktopScreenSaver(PrivateBuses& buses, QProcess** process = nullptr);

// A notification server on the session bus: dbusmock's notification_daemon, with the
// Inhibited property when `inhibited` is given (the stock template lacks it).
QProcess* startNotificationServer(PrivateBuses& buses, std::optional<bool> inhibited);

// dbusmock's gnome_screensaver template (GetActive, SetActive emitting ActiveChanged).
QString startGnomeScreenSaver(PrivateBuses& buses);

} // namespace vesk::test
