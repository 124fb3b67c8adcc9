#pragma once

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskSync/Sqlite.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QFileSystemWatcher;

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
// Opening makes a new file with the schema, opens ours unchanged, refuses a file of
// another program or of a newer schema (leaving it as it is), and keeps a file SQLite
// calls damaged aside before making a new one; a store it cannot read for now (locked
// by another copy, an I/O error) fails the open and is left as it is. Commits do not wait for the disk; the
// log is folded into the file 2 s after the last commit, on the queue "app.tessarn.notch.store". Main thread
// only.
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

Q_SIGNALS:
    // A context of this container committed these rows.
    void committed(const QList<StoreChange>& changes);
    // Another connection (another copy of the program) committed to the store.
    void remoteChange();

private:
    explicit ModelContainer(QString path, sqlite::Connection connection);
    void watch();
    void checkpoint();

    QString m_path;
    sqlite::Connection m_connection;
    qint64 m_dataVersion = 0;
    QFileSystemWatcher* m_watcher = nullptr;
    SerialQueue m_queue;
    TaskHandle m_checkpointTask;
    // Used on the queue only.
    sqlite::Connection m_checkpointConnection;
};

} // namespace vesk
