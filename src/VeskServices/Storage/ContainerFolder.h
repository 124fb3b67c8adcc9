#pragma once

#include <QDir>
#include <QStandardPaths>
#include <QString>

namespace vesk::storage {

// The folder a service keeps its files in: `containerName` inside the user's
// application-support folder, cleaned so stored paths compare character for character.
// Created (with its parents) when asked; a failure shows later as failed writes.
inline QString containerFolder(const QString& containerName, bool create = true) {
    const QString folder =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QLatin1Char('/') + containerName);
    if (create) QDir().mkpath(folder);
    return folder;
}

} // namespace vesk::storage
