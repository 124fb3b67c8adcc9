#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// The stored records of the desk: plain values with the schema's defaults. They live
// in a ModelContext, which tracks one shared copy per row; rules about what goes into
// them belong to their writers. `uuid` is the identity across computers and is not
// unique in a store.

// Earlier than every real date: rows carrying it sort as the oldest.
inline constexpr Date distantPast{-63114076800.0};

struct SyncedTodo {
    QUuid uuid = QUuid::createUuid();
    QString title;
    bool isDone = false;
    bool isFavorite = false;
    Date createdAt = distantPast;
    std::optional<Date> completedAt;
    qint64 sortIndex = 0;
    QString deviceID;
    friend bool operator==(const SyncedTodo&, const SyncedTodo&) = default;
};

// Its revisions are the context's to answer (ModelContext::revisions).
struct SyncedNote {
    QUuid uuid = QUuid::createUuid();
    QString title;
    Date updatedAt = distantPast;
    friend bool operator==(const SyncedNote&, const SyncedNote&) = default;
};

// Its note is the context's to answer and set (ModelContext::note, setNote).
struct SyncedNoteRevision {
    QUuid uuid = QUuid::createUuid();
    QString text;
    Date editedAt = distantPast;
    QString deviceID;
    friend bool operator==(const SyncedNoteRevision&, const SyncedNoteRevision&) = default;
};

struct SyncedTimer {
    QUuid uuid = QUuid::createUuid();
    QString label;
    double total = 0; // seconds
    qint64 sortIndex = 0;
    friend bool operator==(const SyncedTimer&, const SyncedTimer&) = default;
};

struct SyncedShortcut {
    QUuid uuid = QUuid::createUuid();
    QString shortcutName;
    std::optional<QString> customName;
    QString symbol = QStringLiteral("sparkles");
    std::optional<QString> textInput;
    qint64 sortIndex = 0;
    friend bool operator==(const SyncedShortcut&, const SyncedShortcut&) = default;
};

} // namespace vesk
