#include "VeskSync/ModelContainer.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskSync/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>
#include <QtEndian>

#include <sqlite3.h>

namespace vesk {

namespace {

constexpr double checkpointDelay = 2.0;
constexpr int lateLookMs = 150;
constexpr int maxRecoveries = 3;
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

const QByteArray& logLimitPragma() {
    static const QByteArray pragma =
        QByteArrayLiteral("PRAGMA journal_size_limit = ") + QByteArray::number(ModelContainer::logSizeLimit);
    return pragma;
}

bool configure(sqlite::Connection& db) {
    return db.integer("PRAGMA journal_mode = WAL") &&
           db.exec("PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = ON; PRAGMA wal_autocheckpoint = 0") &&
           db.integer(logLimitPragma().constData());
}

// What the quick integrity check says: empty when the file is sound, else the first
// fault it names; none when it could not run (the reason stays in the connection).
std::optional<QString> quickCheck(sqlite::Connection& db) {
    sqlite::Statement check(db, "PRAGMA quick_check(1)");
    if (!check.step()) return std::nullopt;
    QString first = check.text(0);
    if (first == QLatin1String("ok")) return QString();
    // "*** in database main ***" and the fault, on lines of their own.
    first.remove(QStringLiteral("*** in database main ***"));
    return first.simplified();
}

QString kindReason(storeSalvage::Kind kind) {
    switch (kind) {
    case storeSalvage::Kind::link:
        return QStringLiteral("a link was in the store's place");
    case storeSalvage::Kind::folder:
        return QStringLiteral("a folder was in the store's place");
    default:
        return QStringLiteral("a special file was in the store's place");
    }
}

void traceRecovery(const QString& path, const StoreRecovery& recovery) {
    TraceLog::trace(QStringLiteral("store: %1 could not be used (%2); kept aside as %3; carried %4 row(s) "
                                   "into a new store")
                        .arg(path, recovery.reason, recovery.asidePath)
                        .arg(recovery.rowsCarried));
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

namespace {

// Opens the store at `path` into `db`, ready for use: empty on success, else the
// reason. With `damaged`, the file there is kept aside first for that reason. What was
// kept aside, and how many rows came over, goes into `recovery`.
QString openInto(const QString& path, sqlite::Connection& db, std::optional<StoreRecovery>& recovery,
                 const std::optional<QString>& damaged = std::nullopt) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    std::optional<QString> carryFrom;
    const auto putAside = [&](const QString& reason, bool readable) {
        const std::optional<QString> aside = storeSalvage::keepAside(path);
        if (!aside) return false;
        recovery = StoreRecovery{reason, *aside, 0};
        // What a link leads to is left alone and not read.
        carryFrom = readable ? aside : std::nullopt;
        return true;
    };

    if (damaged && !putAside(*damaged, true))
        return QStringLiteral("%1 is damaged (%2) and cannot be moved aside").arg(path, *damaged);
    switch (const storeSalvage::Kind kind = storeSalvage::kindAt(path)) {
    case storeSalvage::Kind::missing:
        // A log without its store belongs to a file that is gone: replaying it into a
        // new file would corrupt it.
        if (anyCompanion(path)) keepAsideWithCompanions(path);
        break;
    case storeSalvage::Kind::file:
        if (const auto header = readStoreHeader(path)) {
            const Verdict verdict = judgeHeader(*header);
            if (verdict == Verdict::foreign || verdict == Verdict::newer) return refusal(verdict, path);
            if (verdict == Verdict::damaged && !putAside(QStringLiteral("it is not a database"), false))
                return QStringLiteral("%1 is not a database and cannot be moved aside").arg(path);
        }
        break;
    default:
        if (!putAside(kindReason(kind), false))
            return QStringLiteral("%1 cannot be moved aside: %2").arg(path, kindReason(kind));
    }

    for (int attempt = 0;; ++attempt) {
        storeSalvage::restrictAccess(path);
        if (!db.open(path, true)) return db.lastError();
        // Until the file is known to be ours, closing must leave it as it is. Later the
        // main connection still never folds the log in on close (that waits for the disk).
        db.setCheckpointOnClose(false);
        if (!setBusyTimeout(db)) return db.lastError();
        const std::optional<Verdict> opened = judgeOpened(db);
        std::optional<QString> fault;
        if (opened && (*opened == Verdict::ours || *opened == Verdict::fresh)) {
            fault = quickCheck(db);
            if (fault && fault->isEmpty()) break;
        }
        // Only SQLite's word that the file is damaged puts it aside: a store that is busy
        // (another copy holds it) or unreadable for now is left for the next start.
        if (!fault && !db.lastFailureIsDamage() &&
            (!opened || *opened == Verdict::ours || *opened == Verdict::fresh)) {
            const QString reason = QStringLiteral("%1 cannot be read now: %2").arg(path, db.lastError());
            db.close();
            TraceLog::trace(QStringLiteral("store: ") + reason);
            return reason;
        }
        const QString reason =
            fault ? QStringLiteral("the integrity check found: ") + *fault : db.lastError();
        const Verdict verdict = opened.value_or(Verdict::damaged);
        db.close();
        if (verdict == Verdict::foreign || verdict == Verdict::newer) return refusal(verdict, path);
        if (attempt == 1) return QStringLiteral("%1 cannot be made").arg(path);
        if (!putAside(reason, true))
            return QStringLiteral("%1 is damaged (%2) and cannot be moved aside").arg(path, reason);
    }
    if (!configure(db)) return db.lastError();
    const auto version = db.integer("PRAGMA user_version");
    if (!version) return db.lastError();
    if (*version == 0)
        if (const QString reason = createSchema(db); !reason.isEmpty()) return reason;
    if (recovery) {
        if (carryFrom) recovery->rowsCarried = storeSalvage::carryReadableRows(db, *carryFrom);
        traceRecovery(path, *recovery);
    }
    return {};
}

} // namespace

std::shared_ptr<ModelContainer> ModelContainer::open(const QString& path, QString* error) {
    sqlite::Connection db;
    std::optional<StoreRecovery> recovery;
    if (const QString reason = openInto(path, db, recovery); !reason.isEmpty()) {
        if (error) *error = reason;
        return nullptr;
    }
    auto container = std::shared_ptr<ModelContainer>(new ModelContainer(path, std::move(db)));
    container->m_recovery = recovery;
    return container;
}

ModelContainer::ModelContainer(QString path, sqlite::Connection connection)
    : m_path(std::move(path)), m_connection(std::move(connection)),
      m_queue(QStringLiteral("app.tessarn.notch.store")) {
    m_lateLook = new QTimer(this);
    m_lateLook->setSingleShot(true);
    m_lateLook->setInterval(lateLookMs);
    connect(m_lateLook, &QTimer::timeout, this, &ModelContainer::checkForRemoteChange);
    attach();
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

// Takes up the connection as it is now: its commits counted, the file watched.
void ModelContainer::attach() {
    sqlite3_wal_hook(m_connection.handle(), &ModelContainer::walHook, this);
    m_walFrames = 0;
    m_dataVersion = m_connection.integer("PRAGMA data_version").value_or(0);
    delete m_watcher;
    m_watcher = nullptr;
    watch();
}

int ModelContainer::walHook(void* self, ::sqlite3*, const char*, int frames) {
    static_cast<ModelContainer*>(self)->m_walFrames = frames;
    return SQLITE_OK;
}

bool ModelContainer::recover(const QString& reason) {
    if (m_recoveries >= maxRecoveries) return false;
    ++m_recoveries;
    m_checkpointTask.cancel();
    // Nothing may fold the damaged log into the damaged file on its way aside.
    m_queue.sync([this] {
        m_checkpointConnection.setCheckpointOnClose(false);
        m_checkpointConnection.close();
    });
    m_connection.setCheckpointOnClose(false);
    m_connection.close();
    std::optional<StoreRecovery> recovery;
    const QString error = openInto(m_path, m_connection, recovery, reason);
    if (recovery) m_recovery = recovery;
    if (!error.isEmpty()) {
        m_connection.close();
        TraceLog::trace(QStringLiteral("store: ") + error);
        return false;
    }
    attach();
    Q_EMIT recovered();
    return true;
}

void ModelContainer::watch() {
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPath(QFileInfo(m_path).absolutePath());
    m_watcher->addPath(m_path);
    if (QFileInfo::exists(with(m_path, "-wal"))) m_watcher->addPath(with(m_path, "-wal"));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &ModelContainer::fileEvent);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &ModelContainer::fileEvent);
}

void ModelContainer::fileEvent() {
    const qint64 before = m_dataVersion;
    checkForRemoteChange();
    if (m_dataVersion == before) m_lateLook->start();
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
    if (m_walFrames >= forcedCheckpointFrames) {
        // Commits come faster than the queue folds: fold here, so the log is reset at
        // the next commit instead of growing.
        sqlite3_wal_checkpoint_v2(m_connection.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                  nullptr);
        m_walFrames = 0;
    } else if (m_walFrames >= earlyCheckpointFrames && !m_earlyCheckpoint.exchange(true)) {
        m_queue.async([this] {
            checkpoint();
            m_earlyCheckpoint = false;
        });
    }
    m_checkpointTask = m_queue.asyncAfter(checkpointDelay, [this] { checkpoint(); });
    Q_EMIT committed(changes);
}

void ModelContainer::checkpoint() {
    if (!m_checkpointConnection.isOpen()) {
        if (!m_checkpointConnection.open(m_path, false)) return;
        m_checkpointConnection.exec("PRAGMA busy_timeout = 0");
        m_checkpointConnection.integer(logLimitPragma().constData());
        // A connection finds the log only once it has read from the file.
        m_checkpointConnection.integer("SELECT count(*) FROM sqlite_master");
    }
    sqlite3_wal_checkpoint_v2(m_checkpointConnection.handle(), nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                              nullptr);
}

} // namespace vesk
