#pragma once

#include <QProcess>
#include <QStringList>

namespace vesk::test {

// Drives the real pointer on the test's X display; true when xdotool succeeded.
inline bool xdotool(const QStringList& arguments) {
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

} // namespace vesk::test
