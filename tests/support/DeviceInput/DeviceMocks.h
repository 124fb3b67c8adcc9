#pragma once

#include "support/DBusFixture.h"

#include <QString>

namespace vesk::test {

// Pieces that python3-dbusmock's templates lack, added to a running mock through its
// org.freedesktop.DBus.Mock interface. Each returns an empty string or an error.

// A logind session object at `sessionPath` (".../session/auto" or ".../session/self")
// whose SetBrightness(subsystem, name, value) writes the value into the fake sysfs tree
// under `sysRoot`, like logind does, after `delayMs`, and records the path it came
// through in `<sysRoot>/last-session`. Needs the "logind" template running.
QString addLogindSession(const PrivateBuses& buses, const QString& sessionPath, const QString& sysRoot,
                         int delayMs = 0);

// Starts the "upower" template with UPower's KbdBacklight object added (with the given
// maximum and level) before the name is taken, as the daemon has it when it appears.
// SetBrightness stores the level and emits BrightnessChanged like the daemon. The
// template that adds it is written into `scratchFolder`. Null when it did not come up.
QProcess* startUPowerWithKeyboardBacklight(PrivateBuses& buses, const QString& scratchFolder,
                                           int maxBrightness, int level);
// Emits BrightnessChanged(value) from that object, as a firmware key press would.
QString emitKeyboardBrightnessChanged(const PrivateBuses& buses, int value);
// The arguments of every SetBrightness call the KbdBacklight object received.
QList<int> keyboardBrightnessWrites(const PrivateBuses& buses);

// A fake sysfs device folder: class/<subsystem>/<name> with the given files.
void writeSysfsDevice(const QString& sysRoot, const QString& subsystem, const QString& name,
                      const QList<QPair<QString, QString>>& files);
void writeSysfsFile(const QString& sysRoot, const QString& subsystem, const QString& name,
                    const QString& file, const QString& value);

} // namespace vesk::test
