#pragma once

#include <QString>

namespace vesk::machine {

// The operating system's version as three decimal numbers joined by "." (os-release's
// VERSION_ID "12" reads "12.0.0", "22.04" reads "22.4.0"); when the system names no
// numeric version, the kernel release ("6.1.0-18-amd64"). `root` lets tests point at a
// fake file-system tree.
QString osVersion(const QString& root = QStringLiteral("/"));

// The system's name as os-release gives it for people (PRETTY_NAME, e.g. "Debian GNU/Linux
// 12 (bookworm)"); else NAME and VERSION_ID; else "Linux" and the version above.
QString osName(const QString& root = QStringLiteral("/"));

// VERSION_ID padded to three numeric parts; empty when it is missing or not numeric.
QString paddedVersionId(const QString& osRelease);

} // namespace vesk::machine
