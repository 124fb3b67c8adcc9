#pragma once

#include "VeskKit/Foundation/Files.h"

#include <QDir>
#include <QStandardPaths>
#include <QString>

namespace vesk::storage {

// The folder a service keeps its files in: `containerName` inside the user's
// application-support folder, cleaned so stored paths compare character for character.
// Created (with its parents, each new one the user's alone) when asked, and then made
// the user's alone if it was not; a failure shows later as failed writes.
inline QString containerFolder(const QString& containerName, bool create = true) {
    const QString folder =
        QDir::cleanPath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
                        QLatin1Char('/') + containerName);
    if (create) {
        files::makePrivateFolder(folder);
        files::restrictToOwner(folder);
    }
    return folder;
}

} // namespace vesk::storage
