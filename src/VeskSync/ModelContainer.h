#pragma once

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskSync/Sqlite.h"
#include "VeskSync/StoreSalvage.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

class QFileSystemWatcher;
class QTimer;

namespace vesk {

// One row a commit wrote or removed, by its table and its cloud name.
struct StoreChange {
    QString recordType;
    QString recordName;
    bool removed = false;
    friend bool operator==(const StoreChange&, const StoreChange&) = default;
};

// The first 100 bytes of an SQLite file, as far as we read them.
struct StoreHeader {
    bool isDatabase = false; // starts with SQLite's magic text
    qint32 applicationID = 0;
    qint32 userVersion = 0;
};
// Reads the header of the file at `path` without SQLite (nothing is written). An empty
// file reads as an empty database; none when the file cannot be read.
std::optional<StoreHeader> readStoreHeader(const QString& path);

// The one store file and its connection, shared by every ModelContext made on it.
// Opening makes a new file with the schema (readable by its owner only), opens ours
// unchanged after a quick integrity check, and refuses a file of another program or of
// a newer schema (leaving it as it is). A file found damaged (by SQLite, by the check,
// or later by a failing read), and a link, folder or special file in the store's place,
// is kept aside and a new store made with every row that could still be read; the trace
// and `recovery()` say so. A store it cannot read for now (locked by another copy, an I/O
// error) fails the open and is left as it is. Commits do not wait for the disk; the log is
// folded into the file 2 s after the last commit, or at once while it grows past a bound,
// on the queue "app.tessarn.notch.store". Main thread only.
class ModelContainer : public QObject {
    Q_OBJECT

public:
    // Null on failure, with the reason in `error`.
    static std::shared_ptr<ModelContainer> open(const QString& path, QString* error = nullptr);
    ~ModelContainer() override;

    const QString& path() const { return m_path; }
    sqlite::Connection& connection() { return m_connection; }

    // Looks whether another connection committed, and says so. The file watcher calls
    // it; a writer on a connection of its own may too, to be seen at once.
    void checkForRemoteChange();
    // Told by a context after each of its commits.
    void didCommit(const QList<StoreChange>& changes);

    // What the open or a later recovery did with a store it could not use; none while
    // the file has been fine.
    const std::optional<StoreRecovery>& recovery() const { return m_recovery; }
    // A read found the file damaged: keeps it aside and carries its readable rows into a
    // new store at the same place, on the same connection object, so contexts go on
    // (rows keep their pks). False when no new store could be opened (or this already
    // happened too often in this run); the connection is then closed.
    bool recover(const QString& reason);

    // Frames in the log that start an early fold on the queue, and that make the main
    // connection fold them itself; the largest log file kept after a fold.
    static constexpr int earlyCheckpointFrames = 500;
    static constexpr int forcedCheckpointFrames = 2000;
    static constexpr qint64 logSizeLimit = 4 * 1024 * 1024;

Q_SIGNALS:
    // A context of this container committed these rows.
    void committed(const QList<StoreChange>& changes);
    // Another connection (another copy of the program) committed to the store.
    void remoteChange();
    // The store was replaced by a new one holding what could be read (`recovery()`).
    void recovered();

private:
    explicit ModelContainer(QString path, sqlite::Connection connection);
    void attach();
    void watch();
    void fileEvent();
    void checkpoint();
    static int walHook(void* self, ::sqlite3* db, const char* name, int frames);

    QString m_path;
    sqlite::Connection m_connection;
    qint64 m_dataVersion = 0;
    QFileSystemWatcher* m_watcher = nullptr;
    // One more look shortly after a file event that found nothing new: the event can
    // come before another writer's commit is visible.
    QTimer* m_lateLook = nullptr;
    std::optional<StoreRecovery> m_recovery;
    int m_recoveries = 0;
    int m_walFrames = 0;
    std::atomic<bool> m_earlyCheckpoint{false};
    SerialQueue m_queue;
    TaskHandle m_checkpointTask;
    // Used on the queue only.
    sqlite::Connection m_checkpointConnection;
};

} // namespace vesk
