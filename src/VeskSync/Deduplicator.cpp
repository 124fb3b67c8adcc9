#include "VeskSync/Deduplicator.h"

#include "VeskSync/ModelContext.h"

#include <QHash>

#include <functional>

namespace vesk {

namespace {

// Groups `rows` by uuid and returns the losers, in the order they lost.
template <class T>
RecordList<T> losers(ModelContext& context, const RecordList<T>& rows,
                     const std::function<bool(const T& candidate, const T& keeper)>& preferred) {
    QHash<QUuid, std::shared_ptr<T>> keepers;
    RecordList<T> lost;
    for (const auto& row : rows) {
        auto keeper = keepers.find(row->uuid);
        if (keeper == keepers.end()) {
            keepers.insert(row->uuid, row);
            continue;
        }
        const T& current = **keeper;
        const bool tie = !preferred(*row, current) && !preferred(current, *row);
        if (preferred(*row, current) ||
            (tie && context.recordName(row) < context.recordName(std::shared_ptr<T>(*keeper)))) {
            lost.append(*keeper);
            *keeper = row;
        } else {
            lost.append(row);
        }
    }
    return lost;
}

template <class T>
std::optional<int> collapse(ModelContext& context, const std::function<bool(const T&, const T&)>& preferred) {
    const auto rows = context.fetch<T>();
    if (!rows) return std::nullopt;
    const RecordList<T> lost = losers(context, *rows, preferred);
    for (const auto& row : lost)
        context.remove(row);
    return int(lost.size());
}

} // namespace

std::optional<Deduplicator::Summary> Deduplicator::run(ModelContext& context, QString* error) const {
    const auto failed = [error](const QString& reason) -> std::optional<Summary> {
        if (error) *error = reason;
        return std::nullopt;
    };
    const QString unreadable = QStringLiteral("the store could not be read");
    Summary summary;

    const auto todos = collapse<SyncedTodo>(context, [](const SyncedTodo& a, const SyncedTodo& b) {
        if (a.createdAt != b.createdAt) return a.createdAt < b.createdAt;
        return a.isDone && !b.isDone;
    });
    if (!todos) return failed(unreadable);
    summary.todos = *todos;

    // Notes are compared by their revision counts, read once.
    const auto notes = context.fetch<SyncedNote>();
    if (!notes) return failed(unreadable);
    QHash<const SyncedNote*, qsizetype> revisionCounts;
    for (const auto& note : *notes)
        revisionCounts.insert(note.get(),
                              context.revisions(note).value_or(RecordList<SyncedNoteRevision>{}).size());
    const RecordList<SyncedNote> lostNotes =
        losers<SyncedNote>(context, *notes, [&revisionCounts](const SyncedNote& a, const SyncedNote& b) {
            return revisionCounts.value(&a) > revisionCounts.value(&b);
        });
    // Every device makes the scratch note once: a losing copy's text moves to the keeper.
    QHash<QUuid, std::shared_ptr<SyncedNote>> keepers;
    for (const auto& note : *notes)
        if (!lostNotes.contains(note)) keepers.insert(note->uuid, note);
    for (const auto& note : lostNotes) {
        for (const auto& revision : context.revisions(note).value_or(RecordList<SyncedNoteRevision>{}))
            context.setNote(revision, keepers.value(note->uuid));
        context.remove(note);
    }
    summary.notes = int(lostNotes.size());

    const auto byIndex = [](const auto& a, const auto& b) { return a.sortIndex < b.sortIndex; };
    const auto timers = collapse<SyncedTimer>(context, byIndex);
    if (!timers) return failed(unreadable);
    summary.timers = *timers;
    const auto shortcuts = collapse<SyncedShortcut>(context, byIndex);
    if (!shortcuts) return failed(unreadable);
    summary.shortcuts = *shortcuts;

    if (summary.total() > 0) {
        QString reason;
        if (!context.save(&reason)) return failed(reason);
    }
    return summary;
}

} // namespace vesk
