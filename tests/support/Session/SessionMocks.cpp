#include "support/Session/SessionMocks.h"

#include "support/DBusMock/DBusMockControl.h"

#include <unistd.h>

namespace vesk::test {

using namespace sessionmock;

QString startLogind(PrivateBuses& buses, bool withSessionByPid, bool withAutoSession) {
    if (!buses.startTemplate(QStringLiteral("logind"), login1, true)) return buses.error();
    DBusMockControl logind(buses.system(), login1, login1Path);
    logind.call(DBusMockControl::mockInterface, QStringLiteral("AddSession"),
                {QStringLiteral("c1"), QStringLiteral("seat0"), static_cast<quint32>(::getuid()),
                 QStringLiteral("tester"), true});
    if (!logind.lastError().isEmpty()) return logind.lastError();
    if (withSessionByPid &&
        !logind.addMethod(managerInterface,
                          {QStringLiteral("GetSessionByPID"), QStringLiteral("u"), QStringLiteral("o"),
                           QStringLiteral("ret = dbus.ObjectPath('%1')").arg(sessionPath)}))
        return logind.lastError();
    if (withAutoSession && !logind.addObject(login1Path + QStringLiteral("/session/auto"), sessionInterface,
                                             {{QStringLiteral("Id"), QStringLiteral("c1")},
                                              {QStringLiteral("LockedHint"), false}}))
        return logind.lastError();
    return {};
}

QString startFreedesktopScreenSaver(PrivateBuses& buses, QProcess** process) {
    QProcess* started = buses.startMock(screenSaver, screenSaverPath, screenSaver, false);
    if (!started) return buses.error();
    if (process) *process = started;
    DBusMockControl mock(buses.session(), screenSaver, screenSaverPath);
    const QList<DBusMockMethod> methods{
        {QStringLiteral("GetActive"),
         {},
         QStringLiteral("b"),
         QStringLiteral("ret = getattr(self, 'active', False)")},
        {QStringLiteral("SetActive"),
         QStringLiteral("b"),
         {},
         QStringLiteral("self.active = args[0]; self.EmitSignal('', 'ActiveChanged', 'b', [args[0]])")},
        {QStringLiteral("Inhibit"), QStringLiteral("ss"), QStringLiteral("u"),
         QStringLiteral("ret = dbus.UInt32(%1)").arg(inhibitCookie)},
        {QStringLiteral("UnInhibit"), QStringLiteral("u"), {}, {}},
    };
    for (const DBusMockMethod& method : methods)
        if (!mock.addMethod(screenSaver, method)) return mock.lastError();
    return {};
}

QProcess* startNotificationServer(PrivateBuses& buses, std::optional<bool> inhibited) {
    if (!inhibited) return buses.startTemplate(QStringLiteral("notification_daemon"), notifications, false);
    return buses.startTemplate(
        QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/notification_server_inhibited.py"),
        notifications, false, QStringLiteral("{\"Inhibited\": %1}").arg(*inhibited ? "true" : "false"));
}

QString startGnomeScreenSaver(PrivateBuses& buses) {
    if (!buses.startTemplate(QStringLiteral("gnome_screensaver"), gnomeScreenSaver, false))
        return buses.error();
    return {};
}

} // namespace vesk::test
