#pragma once

#include <QDBusConnection>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace vesk::fileManager {

// Shows `path` selected in the desktop's file manager (org.freedesktop.FileManager1),
// or, when no file manager answers, opens the folder that holds it (with urlOpener::open
// unless `openFolder` is given). Returns at once. Tests pass their own bus and opener.
void reveal(const QString& path, std::optional<QDBusConnection> bus = std::nullopt,
            std::function<void(const QUrl&)> openFolder = {});

} // namespace vesk::fileManager
