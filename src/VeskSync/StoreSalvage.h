#pragma once

#include <QString>

#include <optional>

namespace vesk {

namespace sqlite {
class Connection;
}

// What happened to a store that could not be used as it was: why, where the old file
// now lies, and how many of its rows the new store holds.
struct StoreRecovery {
    QString reason;
    QString asidePath; // empty when nothing could be moved
    qint64 rowsCarried = 0;
    friend bool operator==(const StoreRecovery&, const StoreRecovery&) = default;
};

namespace storeSalvage {

// What lies at `path`, without following a link.
enum class Kind { missing, file, link, folder, other };
Kind kindAt(const QString& path);

// Renames the store at `path` to "<path>.corrupt-<time>" and its log and shared-memory
// files to the same name followed by "-wal" and "-shm", so the kept file still opens
// with everything committed to it. The new path of the store; none when it could not
// be moved.
std::optional<QString> keepAside(const QString& path);

// Copies every row that can still be read from the kept store at `asidePath` into the
// same tables of `target` (an empty store of the current schema), keeping each row's
// pk. A damaged part of a table is stepped over and the rows after it are read. The
// number of rows carried; the file at `asidePath` is left as it was.
qint64 carryReadableRows(sqlite::Connection& target, const QString& asidePath);

// Makes a missing store file readable and writable by its owner only (SQLite gives its
// log and shared-memory files the same mode), and takes group and other access away
// from an existing one of ours.
void restrictAccess(const QString& path);

} // namespace storeSalvage

} // namespace vesk
