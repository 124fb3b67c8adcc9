#include "VeskKit/Foundation/Files.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/Schema.h"
#include "VeskSync/Sqlite.h"
#include "VeskSync/SyncCoordinator.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace vesk {

namespace {

QString applicationSupport() {
    return QFileInfo(files::applicationSupportFolder()).absolutePath();
}

bool exists(const QString& path) {
    // A dangling link is something too.
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

// Only a store of ours, at a version we open, is taken: "default.store" is a name any
// program may use in this folder.
bool isOurStore(const QString& path) {
    const auto header = readStoreHeader(path);
    return header && header->isDatabase && header->applicationID == storeApplicationID &&
           header->userVersion >= 1 && header->userVersion <= VeskMigrationPlan::currentVersion();
}

// Folds the log into the file, so the file alone holds every committed row. True when
// no log is left beside it.
bool foldLog(const QString& path) {
    {
        sqlite::Connection db;
        if (!db.open(path, false)) return false;
        db.exec("PRAGMA busy_timeout = 250");
        // Reading first rolls back what an interrupted write left in a journal.
        if (!db.integer("SELECT count(*) FROM sqlite_master")) return false;
        db.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    }
    return !exists(path + QStringLiteral("-wal")) && !exists(path + QStringLiteral("-journal"));
}

} // namespace

QString SyncCoordinator::storeURL() {
    const QString folder = applicationSupport() + QStringLiteral("/Vesk");
    files::makePrivateFolder(folder);
    return folder + QStringLiteral("/Vesk.store");
}

void SyncCoordinator::migrateLegacyStoreIfNeeded(const QString& target) {
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (exists(target + suffix)) return;
    const QString legacy = applicationSupport() + QStringLiteral("/default.store");
    if (!exists(legacy) || QFileInfo(legacy).isSymLink() || !isOurStore(legacy)) return;
    if (!foldLog(legacy)) return;
    if (!QFile::rename(legacy, target)) return;

    const QString assets = applicationSupport() + QStringLiteral("/default_ckAssets");
    const QString newAssets = QFileInfo(target).absolutePath() + QStringLiteral("/Vesk_ckAssets");
    // Renaming a folder onto an empty one would replace it.
    if (exists(assets) && !exists(newAssets)) QDir().rename(assets, newAssets);
}

} // namespace vesk
