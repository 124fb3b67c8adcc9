#pragma once

#include "VeskSync/Records.h"

#include <QList>

namespace vesk {

namespace sqlite {
class Statement;
}

// The stored format: one table per record type, one column per attribute, plus `pk`
// (the row's identity in this file, and the store order of unsorted fetches) and
// `record_name` (a random name made at insert and never changed, for a cloud mirror).
// The file's header carries our application id and the schema version.
struct VeskSchemaV1 {
    static constexpr int major = 1, minor = 0, patch = 0;
    // Stored as the file's user_version.
    static constexpr int storedVersion = 1;
};

// Each schema version the store has known, with the statements that make it in a new
// file; the stages that would carry a store from one version to the next (none yet).
struct SchemaVersion {
    int storedVersion;
    QList<const char*> ddl;
};
struct VeskMigrationPlan {
    static const QList<SchemaVersion>& schemas();
    static int currentVersion() { return schemas().constLast().storedVersion; }
};

// "Vesk" in the file header's application-id field.
inline constexpr qint32 storeApplicationID = 0x5665736B;

// How each record type is kept in its table. The columns after `pk` and `record_name`
// are the attributes in declaration order; a revision's `note` (the pk of its note)
// comes last and is bound by the context.
template <class T> struct RecordTable;

#define VESK_RECORD_TABLE(Type)                                                                              \
    template <> struct RecordTable<Type> {                                                                   \
        static const char* const name;                                                                       \
        static const char* const select; /* pk, record_name, attributes... */                                \
        static const char* const insert; /* record_name, attributes... */                                    \
        static const char* const update; /* attributes..., then pk and uuid */                               \
        static const char* const remove; /* pk and uuid */                                                   \
        /* Reads the attributes from `column` on. */                                                         \
        static Type read(const sqlite::Statement& statement, int column);                                    \
        /* Binds the attributes from `index` on; returns the next index. */                                  \
        static int bind(sqlite::Statement& statement, const Type& record, int index);                        \
    };

VESK_RECORD_TABLE(SyncedTodo)
VESK_RECORD_TABLE(SyncedNote)
VESK_RECORD_TABLE(SyncedNoteRevision)
VESK_RECORD_TABLE(SyncedTimer)
VESK_RECORD_TABLE(SyncedShortcut)
#undef VESK_RECORD_TABLE

} // namespace vesk
