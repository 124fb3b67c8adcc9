#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

namespace vesk::test {

// What python3-dbusmock's templates lack for the device backends. Needs the "logind"
// template running: a session object at `sessionPath` (".../session/auto" or
// ".../session/self") whose SetBrightness(subsystem, name, value) writes the fake sysfs
// tree under `sysRoot`, as logind does, and notes the session's last path component in
// `<sysRoot>/last-session`. With `held`, each call waits (up to ten seconds) until the
// file `<sysRoot>/release` exists. Empty on success, else the error.

inline QString addLogindSession(PrivateBuses& buses, const QString& sessionPath, const QString& sysRoot,
                                bool held = false) {
    // Paths travel as Python string literals.
    const auto py = [](QString text) -> QString {
        text.replace(u'\\', QStringLiteral("\\\\")).replace(u'\'', QStringLiteral("\\'"));
        return QStringLiteral("'") + text + QStringLiteral("'");
    };
    const QString code = QStringLiteral("import os, time\n"
                                        "root = %2\n"
                                        "for _ in range(1000 if %1 else 0):\n"
                                        "    if os.path.exists(os.path.join(root, 'release')): break\n"
                                        "    time.sleep(0.01)\n"
                                        "d = os.path.join(root, 'class', args[0], args[1])\n"
                                        "if not os.path.isdir(d):\n"
                                        "    raise dbus.exceptions.DBusException('no such device', "
                                        "name='org.freedesktop.DBus.Error.InvalidArgs')\n"
                                        "for f in ('brightness', 'actual_brightness'):\n"
                                        "    p = os.path.join(d, f)\n"
                                        "    if f == 'brightness' or os.path.exists(p):\n"
                                        "        open(p, 'w').write('%d\\n' % args[2])\n"
                                        "open(os.path.join(root, 'last-session'), 'w').write(%3)\n")
                             .arg(held ? QStringLiteral("True") : QStringLiteral("False"))
                             .arg(py(sysRoot), py(sessionPath.section(u'/', -1)));
    DBusMockControl logind(buses.system(), QStringLiteral("org.freedesktop.login1"),
                           QStringLiteral("/org/freedesktop/login1"));
    logind.addObject(sessionPath, QStringLiteral("org.freedesktop.login1.Session"), {},
                     {{QStringLiteral("SetBrightness"), QStringLiteral("ssu"), QString(), code}});
    return logind.lastError();
}

// The "upower" template with UPower's KbdBacklight object; SetBrightness stores the
// level and emits BrightnessChanged like the daemon. Null when it did not come up.
inline QProcess* startUPowerWithKeyboardBacklight(PrivateBuses& buses, int maxBrightness, int level) {
    return buses.startTemplate(
        QStringLiteral(VESK_SOURCE_DIR "/tests/support/DBusMock/upower_kbd_backlight.py"),
        QStringLiteral("org.freedesktop.UPower"), true,
        QStringLiteral("{\"MaxBrightness\": %1, \"Brightness\": %2}").arg(maxBrightness).arg(level));
}

// That object, to emit BrightnessChanged or read its SetBrightness calls.
inline DBusMockControl keyboardBacklightMock(const PrivateBuses& buses) {
    return {buses.system(), QStringLiteral("org.freedesktop.UPower"),
            QStringLiteral("/org/freedesktop/UPower/KbdBacklight")};
}

// A fake sysfs device folder: class/<subsystem>/<name> with the given files.
inline void writeSysfsFile(const QString& sysRoot, const QString& subsystem, const QString& name,
                           const QString& file, const QString& value) {
    QFile out(sysRoot + QStringLiteral("/class/") + subsystem + u'/' + name + u'/' + file);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate)) out.write(value.toUtf8() + '\n');
}

inline void writeSysfsDevice(const QString& sysRoot, const QString& subsystem, const QString& name,
                             const QList<QPair<QString, QString>>& files) {
    QDir().mkpath(sysRoot + QStringLiteral("/class/") + subsystem + u'/' + name);
    for (const auto& [file, value] : files)
        writeSysfsFile(sysRoot, subsystem, name, file, value);
}

} // namespace vesk::test
