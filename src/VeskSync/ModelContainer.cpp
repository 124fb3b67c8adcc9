#include "VeskSync/ModelContainer.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskSync/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QtEndian>

#include <sqlite3.h>

namespace vesk {

namespace {

constexpr double checkpointDelay = 2.0;
constexpr const char* companions[] = {"-wal", "-shm"};

QString with(const QString& path, const char* suffix) {
    return path + QLatin1String(suffix);
}

bool anyCompanion(const QString& path) {
    for (const char* suffix : companions)
        if (QFileInfo::exists(with(path, suffix))) return true;
    return false;
}

void keepAsideWithCompanions(const QString& path) {
    files::keepAside(path);
    for (const char* suffix : companions)
        files::keepAside(with(path, suffix));
}

enum class Verdict { ours, fresh, damaged, foreign, newer };

Verdict judgeHeader(const StoreHeader& header) {
    if (!header.isDatabase) return Verdict::damaged;
    if (header.applicationID != 0 && header.applicationID != storeApplicationID) return Verdict::foreign;
    if (header.userVersion > VeskMigrationPlan::currentVersion()) return Verdict::newer;
    return header.applicationID == 0 ? Verdict::fresh : Verdict::ours;
}

// What SQLite itself reads from the file (the log included); none when the reading
// failed, with the reason left in the connection.
std::optional<Verdict> judgeOpened(sqlite::Connection& db) {
    const auto objects = db.integer("SELECT count(*) FROM sqlite_master");
    if (!objects) return std::nullopt;
    const auto id = db.integer("PRAGMA application_id");
    if (!id) return std::nullopt;
    const auto version = db.integer("PRAGMA user_version");
    if (!version) return std::nullopt;
    const StoreHeader header{true, qint32(*id), qint32(*version)};
    const Verdict verdict = judgeHeader(header);
    // A file with tables but no application id was made by someone else.
    if (verdict == Verdict::fresh && (*objects > 0 || *version != 0)) return Verdict::foreign;
    return verdict;
}

QString refusal(Verdict verdict, const QString& path) {
    return verdict == Verdict::newer
               ? QStringLiteral("%1 was written by a newer version of the program").arg(path)
               : QStringLiteral("%1 is not a store of this program").arg(path);
}

// How long a statement waits for another connection's lock. Opening runs on the main
// thread, so this stays short; a store still locked after it fails the open.
bool setBusyTimeout(sqlite::Connection& db) {
    return db.exec("PRAGMA busy_timeout = 250");
}

bool configure(sqlite::Connection& db) {
    return db.integer("PRAGMA journal_mode = WAL") &&
           db.exec("PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON; PRAGMA wal_autocheckpoint = 0");
}

// Empty on success, else the reason.
QString createSchema(sqlite::Connection& db) {
    if (!db.exec("BEGIN IMMEDIATE")) return db.lastError();
    // Another copy of the program may have made it while we waited for the lock.
    const auto version = db.integer("PRAGMA user_version");
    bool ok = version.has_value();
    if (ok && *version == 0) {
        for (const char* statement : VeskMigrationPlan::schemas().constLast().ddl)
            ok = ok && db.exec(statement);
        const QByteArray pragmas = QByteArrayLiteral("PRAGMA application_id = ") +
                                   QByteArray::number(storeApplicationID) +
                                   QByteArrayLiteral("; PRAGMA user_version = ") +
                                   QByteArray::number(VeskMigrationPlan::currentVersion());
        ok = ok && db.exec(pragmas.constData());
    }
    if (ok && db.exec("COMMIT")) return {};
    const QString error = db.lastError();
    db.exec("ROLLBACK");
    return error;
}

} // namespace

std::optional<StoreHeader> readStoreHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(100);
    if (bytes.isEmpty() && file.size() == 0) return StoreHeader{true, 0, 0};
    StoreHeader header;
    if (bytes.size() < 100 || !bytes.startsWith(QByteArrayLiteral("SQLite format 3\0"))) return header;
    header.isDatabase = true;
    header.userVersion = qFromBigEndian<qint32>(bytes.constData() + 60);
    header.applicationID = qFromBigEndian<qint32>(bytes.constData() + 68);
    return header;
}

std::shared_ptr<ModelContainer> ModelContainer::open(const QString& path, QString* error) {
    const auto fail = [error](const QString& reason) {
        if (error) *error = reason;
        return std::shared_ptr<ModelContainer>();
    };
    QDir().mkpath(QFileInfo(path).absolutePath());

    if (!QFileInfo::exists(path)) {
        // A log without its store belongs to a file that is gone: replaying it into a
        // new file would corrupt it.
        if (anyCompanion(path)) keepAsideWithCompanions(path);
    } else if (const auto header = readStoreHeader(path)) {
        const Verdict verdict = judgeHeader(*header);
        if (verdict == Verdict::foreign || verdict == Verdict::newer) return fail(refusal(verdict, path));
        if (verdict == Verdict::damaged) keepAsideWithCompanions(path);
    }

    sqlite::Connection db;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (!db.open(path, true)) return fail(db.lastError());
        // Until the file is known to be ours, closing must leave it as it is. Later the
        // main connection still never folds the log in on close (that waits for the disk).
        db.setCheckpointOnClose(false);
        if (!setBusyTimeout(db)) return fail(db.lastError());
        const std::optional<Verdict> opened = judgeOpened(db);
        // Only SQLite's word that the file is damaged puts it aside: a store that is busy
        // (another copy holds it) or unreadable for now is left for the next start.
        if (!opened && !db.lastFailureIsDamage()) {
            const QString reason = QStringLiteral("%1 cannot be read now: %2").arg(path, db.lastError());
            db.close();
            TraceLog::trace(QStringLiteral("store: ") + reason);
            return fail(reason);
        }
        const Verdict verdict = opened.value_or(Verdict::damaged);
        if (verdict == Verdict::ours || verdict == Verdict::fresh) break;
        db.close();
        if (verdict != Verdict::damaged) return fail(refusal(verdict, path));
        if (attempt == 1) return fail(QStringLiteral("%1 cannot be made").arg(path));
        keepAsideWithCompanions(path);
    }
    if (!configure(db)) return fail(db.lastError());
    const auto version = db.integer("PRAGMA user_version");
    if (!version) return fail(db.lastError());
    if (*version == 0)
        if (const QString reason = createSchema(db); !reason.isEmpty()) return fail(reason);

    auto container = std::shared_ptr<ModelContainer>(new ModelContainer(path, std::move(db)));
    container->watch();
    return container;
}

ModelContainer::ModelContainer(QString path, sqlite::Connection connection)
    : m_path(std::move(path)), m_connection(std::move(connection)),
      m_queue(QStringLiteral("app.tessarn.notch.store")) {
    m_dataVersion = m_connection.integer("PRAGMA data_version").value_or(0);
}

ModelContainer::~ModelContainer() {
    m_checkpointTask.cancel();
    m_connection.close();
    // Closing the last connection (after it read the log) removes the log.
    m_queue.finish([this] {
        checkpoint();
        m_checkpointConnection.close();
    });
    m_queue.shutdown();
}

void ModelContainer::watch() {
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
    if (QFileInfo::exists(with(m_path, "-wal"))) m_watcher->addPath(with(m_path, "-wal"));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ModelContainer::checkForRemoteChange);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &ModelContainer::checkForRemoteChange);
}

void ModelContainer::checkForRemoteChange() {
    // Deleted files leave the watch list; the log comes and goes.
    for (const QString& file : {m_path, with(m_path, "-wal")})
        if (!m_watcher->files().contains(file) && QFileInfo::exists(file)) m_watcher->addPath(file);
    const auto version = m_connection.integer("PRAGMA data_version");
    if (!version || *version == m_dataVersion) return;
    m_dataVersion = *version;
    Q_EMIT remoteChange();
}

void ModelContainer::didCommit(const QList<StoreChange>& changes) {
    m_checkpointTask.cancel();
    m_checkpointTask = m_queue.asyncAfter(checkpointDelay, [this] { checkpoint(); });
    Q_EMIT committed(changes);
}

void ModelContainer::checkpoint() {
    if (!m_checkpointConnection.isOpen()) {
        if (!m_checkpointConnection.open(m_path, false)) return;
        m_checkpointConnection.exec("PRAGMA busy_timeout = 0");
        // A connection finds the log only once it has read from the file.
        m_checkpointConnection.integer("SELECT count(*) FROM sqlite_master");
    }
    sqlite3_wal_checkpoint_v2(m_checkpointConnection.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                              nullptr);
}

} // namespace vesk
