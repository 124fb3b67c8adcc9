#include "VeskSync/Schema.h"

#include "VeskKit/Foundation/Json.h"
#include "VeskSync/Sqlite.h"

namespace vesk {

namespace {

// A new random (version 4) UUID in upper-case canonical text, for rows inserted
// without one.
#define VESK_RANDOM_UUID                                                                                     \
    "(hex(randomblob(4)) || '-' || hex(randomblob(2)) || '-4' || substr(hex(randomblob(2)), 2) || '-' || "   \
    "substr('89AB', 1 + abs(random() % 4), 1) || substr(hex(randomblob(2)), 2) || '-' || "                   \
    "hex(randomblob(6)))"
#define VESK_DISTANT_PAST "-63114076800.0"

const char* const schemaV1[] = {
    "CREATE TABLE SyncedTodo ("
    " pk INTEGER PRIMARY KEY, record_name TEXT NOT NULL,"
    " uuid TEXT NOT NULL DEFAULT " VESK_RANDOM_UUID ","
    " title TEXT NOT NULL DEFAULT '',"
    " isDone INTEGER NOT NULL DEFAULT 0,"
    " isFavorite INTEGER NOT NULL DEFAULT 0,"
    " createdAt REAL NOT NULL DEFAULT " VESK_DISTANT_PAST ","
    " completedAt REAL,"
    " sortIndex INTEGER NOT NULL DEFAULT 0,"
    " deviceID TEXT NOT NULL DEFAULT '')",
    "CREATE TABLE SyncedNote ("
    " pk INTEGER PRIMARY KEY, record_name TEXT NOT NULL,"
    " uuid TEXT NOT NULL DEFAULT " VESK_RANDOM_UUID ","
    " title TEXT NOT NULL DEFAULT '',"
    " updatedAt REAL NOT NULL DEFAULT " VESK_DISTANT_PAST ")",
    "CREATE TABLE SyncedNoteRevision ("
    " pk INTEGER PRIMARY KEY, record_name TEXT NOT NULL,"
    " uuid TEXT NOT NULL DEFAULT " VESK_RANDOM_UUID ","
    " text TEXT NOT NULL DEFAULT '',"
    " editedAt REAL NOT NULL DEFAULT " VESK_DISTANT_PAST ","
    " deviceID TEXT NOT NULL DEFAULT '',"
    " note INTEGER REFERENCES SyncedNote(pk) ON DELETE CASCADE)",
    "CREATE TABLE SyncedTimer ("
    " pk INTEGER PRIMARY KEY, record_name TEXT NOT NULL,"
    " uuid TEXT NOT NULL DEFAULT " VESK_RANDOM_UUID ","
    " label TEXT NOT NULL DEFAULT '',"
    " total REAL NOT NULL DEFAULT 0.0,"
    " sortIndex INTEGER NOT NULL DEFAULT 0)",
    "CREATE TABLE SyncedShortcut ("
    " pk INTEGER PRIMARY KEY, record_name TEXT NOT NULL,"
    " uuid TEXT NOT NULL DEFAULT " VESK_RANDOM_UUID ","
    " shortcutName TEXT NOT NULL DEFAULT '',"
    " customName TEXT,"
    " symbol TEXT NOT NULL DEFAULT 'sparkles',"
    " textInput TEXT,"
    " sortIndex INTEGER NOT NULL DEFAULT 0)",
    "CREATE INDEX SyncedTodo_uuid ON SyncedTodo(uuid)",
    "CREATE INDEX SyncedNote_uuid ON SyncedNote(uuid)",
    "CREATE INDEX SyncedNoteRevision_uuid ON SyncedNoteRevision(uuid)",
    "CREATE INDEX SyncedNoteRevision_note ON SyncedNoteRevision(note)",
    "CREATE INDEX SyncedTimer_uuid ON SyncedTimer(uuid)",
    "CREATE INDEX SyncedShortcut_uuid ON SyncedShortcut(uuid)",
};

QUuid readUuid(const sqlite::Statement& statement, int column) {
    return QUuid(statement.text(column));
}

std::optional<Date> readOptionalDate(const sqlite::Statement& statement, int column) {
    if (const auto seconds = statement.optionalReal(column)) return Date{*seconds};
    return std::nullopt;
}

void bindOptional(sqlite::Statement& statement, int index, const std::optional<QString>& text) {
    if (text)
        statement.bindText(index, *text);
    else
        statement.bindNull(index);
}

} // namespace

const QList<SchemaVersion>& VeskMigrationPlan::schemas() {
    static const QList<SchemaVersion> versions{
        {VeskSchemaV1::storedVersion, QList<const char*>(std::begin(schemaV1), std::end(schemaV1))},
    };
    return versions;
}

// ---- SyncedTodo

const char* const RecordTable<SyncedTodo>::name = "SyncedTodo";
const char* const RecordTable<SyncedTodo>::select =
    "SELECT pk, record_name, uuid, title, isDone, isFavorite, createdAt, completedAt, sortIndex, deviceID "
    "FROM SyncedTodo";
const char* const RecordTable<SyncedTodo>::insert = "INSERT INTO SyncedTodo (record_name, uuid, title, "
                                                    "isDone, isFavorite, createdAt, completedAt, sortIndex, "
                                                    "deviceID) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
const char* const RecordTable<SyncedTodo>::update =
    "UPDATE SyncedTodo SET uuid = ?, title = ?, isDone = ?, isFavorite = ?, createdAt = ?, completedAt = ?, "
    "sortIndex = ?, deviceID = ? WHERE pk = ? AND upper(uuid) = ?";
const char* const RecordTable<SyncedTodo>::remove = "DELETE FROM SyncedTodo WHERE pk = ? AND upper(uuid) = ?";

SyncedTodo RecordTable<SyncedTodo>::read(const sqlite::Statement& s, int c) {
    return SyncedTodo{.uuid = readUuid(s, c),
                      .title = s.text(c + 1),
                      .isDone = s.integer(c + 2) != 0,
                      .isFavorite = s.integer(c + 3) != 0,
                      .createdAt = Date{s.real(c + 4)},
                      .completedAt = readOptionalDate(s, c + 5),
                      .sortIndex = s.integer(c + 6),
                      .deviceID = s.text(c + 7)};
}

int RecordTable<SyncedTodo>::bind(sqlite::Statement& s, const SyncedTodo& r, int i) {
    s.bindText(i, json::uuidString(r.uuid));
    s.bindText(i + 1, r.title);
    s.bindInteger(i + 2, r.isDone ? 1 : 0);
    s.bindInteger(i + 3, r.isFavorite ? 1 : 0);
    s.bindReal(i + 4, r.createdAt.secondsSinceReferenceDate);
    if (r.completedAt)
        s.bindReal(i + 5, r.completedAt->secondsSinceReferenceDate);
    else
        s.bindNull(i + 5);
    s.bindInteger(i + 6, r.sortIndex);
    s.bindText(i + 7, r.deviceID);
    return i + 8;
}

// ---- SyncedNote

const char* const RecordTable<SyncedNote>::name = "SyncedNote";
const char* const RecordTable<SyncedNote>::select =
    "SELECT pk, record_name, uuid, title, updatedAt FROM SyncedNote";
const char* const RecordTable<SyncedNote>::insert =
    "INSERT INTO SyncedNote (record_name, uuid, title, updatedAt) VALUES (?, ?, ?, ?)";
const char* const RecordTable<SyncedNote>::update =
    "UPDATE SyncedNote SET uuid = ?, title = ?, updatedAt = ? WHERE pk = ? AND upper(uuid) = ?";
const char* const RecordTable<SyncedNote>::remove = "DELETE FROM SyncedNote WHERE pk = ? AND upper(uuid) = ?";

SyncedNote RecordTable<SyncedNote>::read(const sqlite::Statement& s, int c) {
    return SyncedNote{.uuid = readUuid(s, c), .title = s.text(c + 1), .updatedAt = Date{s.real(c + 2)}};
}

int RecordTable<SyncedNote>::bind(sqlite::Statement& s, const SyncedNote& r, int i) {
    s.bindText(i, json::uuidString(r.uuid));
    s.bindText(i + 1, r.title);
    s.bindReal(i + 2, r.updatedAt.secondsSinceReferenceDate);
    return i + 3;
}

// ---- SyncedNoteRevision

const char* const RecordTable<SyncedNoteRevision>::name = "SyncedNoteRevision";
const char* const RecordTable<SyncedNoteRevision>::select =
    "SELECT pk, record_name, uuid, text, editedAt, deviceID, note FROM SyncedNoteRevision";
const char* const RecordTable<SyncedNoteRevision>::insert =
    "INSERT INTO SyncedNoteRevision (record_name, uuid, text, editedAt, deviceID, note) VALUES (?, ?, ?, ?, "
    "?, ?)";
const char* const RecordTable<SyncedNoteRevision>::update =
    "UPDATE SyncedNoteRevision SET uuid = ?, text = ?, editedAt = ?, deviceID = ?, note = ? WHERE pk = ? AND "
    "upper(uuid) = ?";
const char* const RecordTable<SyncedNoteRevision>::remove =
    "DELETE FROM SyncedNoteRevision WHERE pk = ? AND upper(uuid) = ?";

SyncedNoteRevision RecordTable<SyncedNoteRevision>::read(const sqlite::Statement& s, int c) {
    return SyncedNoteRevision{.uuid = readUuid(s, c),
                              .text = s.text(c + 1),
                              .editedAt = Date{s.real(c + 2)},
                              .deviceID = s.text(c + 3)};
}

int RecordTable<SyncedNoteRevision>::bind(sqlite::Statement& s, const SyncedNoteRevision& r, int i) {
    s.bindText(i, json::uuidString(r.uuid));
    s.bindText(i + 1, r.text);
    s.bindReal(i + 2, r.editedAt.secondsSinceReferenceDate);
    s.bindText(i + 3, r.deviceID);
    return i + 4;
}

// ---- SyncedTimer

const char* const RecordTable<SyncedTimer>::name = "SyncedTimer";
const char* const RecordTable<SyncedTimer>::select =
    "SELECT pk, record_name, uuid, label, total, sortIndex FROM SyncedTimer";
const char* const RecordTable<SyncedTimer>::insert =
    "INSERT INTO SyncedTimer (record_name, uuid, label, total, sortIndex) VALUES (?, ?, ?, ?, ?)";
const char* const RecordTable<SyncedTimer>::update =
    "UPDATE SyncedTimer SET uuid = ?, label = ?, total = ?, sortIndex = ? WHERE pk = ? AND upper(uuid) = ?";
const char* const RecordTable<SyncedTimer>::remove =
    "DELETE FROM SyncedTimer WHERE pk = ? AND upper(uuid) = ?";

SyncedTimer RecordTable<SyncedTimer>::read(const sqlite::Statement& s, int c) {
    return SyncedTimer{.uuid = readUuid(s, c),
                       .label = s.text(c + 1),
                       .total = s.real(c + 2),
                       .sortIndex = s.integer(c + 3)};
}

int RecordTable<SyncedTimer>::bind(sqlite::Statement& s, const SyncedTimer& r, int i) {
    s.bindText(i, json::uuidString(r.uuid));
    s.bindText(i + 1, r.label);
    s.bindReal(i + 2, r.total);
    s.bindInteger(i + 3, r.sortIndex);
    return i + 4;
}

// ---- SyncedShortcut

const char* const RecordTable<SyncedShortcut>::name = "SyncedShortcut";
const char* const RecordTable<SyncedShortcut>::select =
    "SELECT pk, record_name, uuid, shortcutName, customName, symbol, textInput, sortIndex FROM "
    "SyncedShortcut";
const char* const RecordTable<SyncedShortcut>::insert =
    "INSERT INTO SyncedShortcut (record_name, uuid, shortcutName, customName, symbol, textInput, sortIndex) "
    "VALUES (?, ?, ?, ?, ?, ?, ?)";
const char* const RecordTable<SyncedShortcut>::update =
    "UPDATE SyncedShortcut SET uuid = ?, shortcutName = ?, customName = ?, symbol = ?, textInput = ?, "
    "sortIndex = ? WHERE pk = ? AND upper(uuid) = ?";
const char* const RecordTable<SyncedShortcut>::remove =
    "DELETE FROM SyncedShortcut WHERE pk = ? AND upper(uuid) = ?";

SyncedShortcut RecordTable<SyncedShortcut>::read(const sqlite::Statement& s, int c) {
    return SyncedShortcut{.uuid = readUuid(s, c),
                          .shortcutName = s.text(c + 1),
                          .customName = s.optionalText(c + 2),
                          .symbol = s.text(c + 3),
                          .textInput = s.optionalText(c + 4),
                          .sortIndex = s.integer(c + 5)};
}

int RecordTable<SyncedShortcut>::bind(sqlite::Statement& s, const SyncedShortcut& r, int i) {
    s.bindText(i, json::uuidString(r.uuid));
    s.bindText(i + 1, r.shortcutName);
    bindOptional(s, i + 2, r.customName);
    s.bindText(i + 3, r.symbol);
    bindOptional(s, i + 4, r.textInput);
    s.bindInteger(i + 5, r.sortIndex);
    return i + 6;
}

} // namespace vesk
