#pragma once

#include <QDBusConnection>
#include <QString>

#include <optional>

namespace vesk::fileManager {

// Shows `path` selected in the desktop's file manager (org.freedesktop.FileManager1),
// or, when no file manager answers, opens the folder that holds it. Returns at once.
// Tests pass their own bus.
void reveal(const QString& path, std::optional<QDBusConnection> bus = std::nullopt);

} // namespace vesk::fileManager
