#include "VeskSync/StoreSalvage.h"

#include "VeskSync/Records.h"
#include "VeskSync/Schema.h"
#include "VeskSync/Sqlite.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

namespace vesk::storeSalvage {

namespace {

// Parents before the rows that point at them.
const char* const tables[] = {
    RecordTable<SyncedNote>::name,  RecordTable<SyncedNoteRevision>::name, RecordTable<SyncedTodo>::name,
    RecordTable<SyncedTimer>::name, RecordTable<SyncedShortcut>::name,
};
// How many steps over one damaged stretch before the rest of the table is given up.
constexpr int maxSkips = 64;

bool existsAt(const QString& path) {
    return kindAt(path) != Kind::missing;
}

QStringList columns(sqlite::Connection& db, const char* table) {
    QStringList names;
    sqlite::Statement info(db, QByteArray(QByteArray("PRAGMA table_info(\"") + table + "\")").constData());
    while (info.step())
        names << info.text(1);
    return names;
}

QString quoted(const QStringList& names) {
    QStringList quotedNames;
    for (const QString& name : names)
        quotedNames << QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                           QLatin1Char('"');
    return quotedNames.join(QLatin1String(", "));
}

qint64 plus(qint64 value, qint64 step) {
    return value > std::numeric_limits<qint64>::max() - step ? std::numeric_limits<qint64>::max()
                                                             : value + step;
}

// Whether reading `table` from pk `from` on gets past its first row. A seek for "pk >= n"
// lands on the page that holds n, so it fails only while n lies in the damaged part.
enum class Probe { readable, end, damaged };
Probe probe(sqlite::Connection& old, const char* table, qint64 from) {
    sqlite::Statement first(
        old, QByteArray(QByteArray("SELECT pk FROM \"") + table + "\" WHERE pk >= ? ORDER BY pk LIMIT 1")
                 .constData());
    first.bindInteger(1, from);
    if (first.step()) return Probe::readable;
    return first.failed() ? Probe::damaged : Probe::end;
}

// The smallest pk from `from` on at which the table reads again; none when the rest of
// it cannot be read.
std::optional<qint64> pastDamage(sqlite::Connection& old, const char* table, qint64 from) {
    // Rows get pks from 1 up: a table damaged from its start is searched from there.
    const qint64 base = std::max<qint64>(from, 0);
    std::optional<qint64> bad;
    qint64 step = 1;
    for (int skip = 0; skip < maxSkips; ++skip) {
        const qint64 start = plus(base, step - 1);
        if (probe(old, table, start) == Probe::damaged) {
            if (start == std::numeric_limits<qint64>::max()) return std::nullopt;
            bad = start;
            step =
                step > std::numeric_limits<qint64>::max() / 2 ? std::numeric_limits<qint64>::max() : step * 2;
            continue;
        }
        // Narrow back down so readable rows just past the damage are not stepped over.
        qint64 good = start;
        while (bad && good - *bad > 1) {
            const qint64 middle = *bad + (good - *bad) / 2;
            if (probe(old, table, middle) == Probe::damaged)
                bad = middle;
            else
                good = middle;
        }
        return good;
    }
    return std::nullopt;
}

qint64 carryTable(sqlite::Connection& target, sqlite::Connection& old, const char* table) {
    const QStringList oldColumns = columns(old, table);
    QStringList shared;
    for (const QString& name : columns(target, table))
        if (oldColumns.contains(name)) shared << name;
    if (!shared.contains(QLatin1String("pk"))) return 0;
    const QString list = quoted(shared);
    QStringList marks;
    for (qsizetype i = 0; i < shared.size(); ++i)
        marks << QStringLiteral("?");
    const int pkColumn = int(shared.indexOf(QLatin1String("pk")));
    const QByteArray selectSql = QStringLiteral("SELECT %1 FROM \"%2\" WHERE pk >= ? ORDER BY pk")
                                     .arg(list, QLatin1String(table))
                                     .toUtf8();
    sqlite::Statement insert(target, QStringLiteral("INSERT OR IGNORE INTO \"%1\" (%2) VALUES (%3)")
                                         .arg(QLatin1String(table), list, marks.join(QLatin1String(", ")))
                                         .toUtf8()
                                         .constData());
    if (!insert.isValid()) return 0;

    qint64 carried = 0;
    qint64 from = std::numeric_limits<qint64>::min();
    for (;;) {
        sqlite::Statement select(old, selectSql.constData());
        if (!select.isValid()) return carried;
        select.bindInteger(1, from);
        const qint64 began = from;
        while (select.step()) {
            insert.reset();
            for (int column = 0; column < shared.size(); ++column)
                insert.bind(column + 1, select.value(column));
            if (insert.run()) ++carried;
            from = plus(select.integer(pkColumn), 1);
        }
        if (!select.failed() || from == std::numeric_limits<qint64>::max()) return carried;
        const auto resume = pastDamage(old, table, from);
        if (!resume) return carried;
        // A row that reads alone but not in a scan is stepped over rather than tried forever.
        from = *resume == began ? plus(*resume, 1) : *resume;
    }
}

} // namespace

Kind kindAt(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0) return Kind::missing;
    if (S_ISLNK(info.st_mode)) return Kind::link;
    if (S_ISDIR(info.st_mode)) return Kind::folder;
    if (S_ISREG(info.st_mode)) return Kind::file;
    return Kind::other;
}

std::optional<QString> keepAside(const QString& path) {
    if (!existsAt(path)) return std::nullopt;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".corrupt-") + stamp;
    const auto taken = [](const QString& name) {
        return existsAt(name) || existsAt(name + QStringLiteral("-wal")) ||
               existsAt(name + QStringLiteral("-shm"));
    };
    for (int n = 2; taken(target); ++n)
        target = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    // A rename moves a link or a folder itself, never what it leads to.
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) != 0)
        return std::nullopt;
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (existsAt(companion))
            ::rename(QFile::encodeName(companion).constData(),
                     QFile::encodeName(target + QLatin1String(suffix)).constData());
    }
    return target;
}

qint64 carryReadableRows(sqlite::Connection& target, const QString& asidePath) {
    if (kindAt(asidePath) != Kind::file) return 0;
    sqlite::Connection old;
    if (!old.open(asidePath, false)) return 0;
    // The kept file stays as it was found: its log is read, never folded in.
    old.setCheckpointOnClose(false);
    old.exec("PRAGMA busy_timeout = 250");

    // Revisions whose note was lost are kept without one.
    if (!target.exec("PRAGMA foreign_keys = OFF")) return 0;
    qint64 carried = 0;
    if (target.exec("BEGIN IMMEDIATE")) {
        for (const char* table : tables)
            carried += carryTable(target, old, table);
        target.exec("UPDATE SyncedNoteRevision SET note = NULL WHERE note IS NOT NULL AND "
                    "note NOT IN (SELECT pk FROM SyncedNote)");
        if (!target.exec("COMMIT")) {
            target.exec("ROLLBACK");
            carried = 0;
        }
    }
    target.exec("PRAGMA foreign_keys = ON");
    return carried;
}

void restrictAccess(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    if (kindAt(path) == Kind::missing) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) ::close(fd);
        return;
    }
    for (const QString& file :
         QStringList{path, path + QStringLiteral("-wal"), path + QStringLiteral("-shm")}) {
        struct stat info {};
        const QByteArray encoded = QFile::encodeName(file);
        if (::lstat(encoded.constData(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
        if (info.st_uid == ::geteuid() && (info.st_mode & 077))
            ::chmod(encoded.constData(), info.st_mode & 0700);
    }
}

} // namespace vesk::storeSalvage
