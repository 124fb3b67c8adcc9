#pragma once

#include <QString>

namespace vesk::machine {

// This computer's name as its owner gave it: PRETTY_HOSTNAME of /etc/machine-info,
// else the host name, else "Mac". `root` and `hostName` let tests stand in for the
// machine.
QString deviceName(const QString& root = QStringLiteral("/"), const QString& hostName = {});

} // namespace vesk::machine
