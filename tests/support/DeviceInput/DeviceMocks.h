#pragma once

#include "support/DBusFixture.h"
#include "support/DBusMock/DBusMockControl.h"

#include <QList>
#include <QPair>
#include <QString>

namespace vesk::test {

// What python3-dbusmock's templates lack for the device backends. Needs the "logind"
// template running: a session object at `sessionPath` (".../session/auto" or
// ".../session/self") whose SetBrightness(subsystem, name, value) writes the fake sysfs
// tree under `sysRoot` after `delayMs`, as logind does, and notes the session's last
// path component in `<sysRoot>/last-session`. Empty on success, else the error.
QString addLogindSession(PrivateBuses& buses, const QString& sessionPath, const QString& sysRoot,
                         int delayMs = 0);

// The "upower" template with UPower's KbdBacklight object; SetBrightness stores the
// level and emits BrightnessChanged like the daemon. Null when it did not come up.
QProcess* startUPowerWithKeyboardBacklight(PrivateBuses& buses, int maxBrightness, int level);
// That object, to emit BrightnessChanged or read its SetBrightness calls.
DBusMockControl keyboardBacklightMock(const PrivateBuses& buses);

// A fake sysfs device folder: class/<subsystem>/<name> with the given files.
void writeSysfsDevice(const QString& sysRoot, const QString& subsystem, const QString& name,
                      const QList<QPair<QString, QString>>& files);
void writeSysfsFile(const QString& sysRoot, const QString& subsystem, const QString& name,
                    const QString& file, const QString& value);

} // namespace vesk::test
