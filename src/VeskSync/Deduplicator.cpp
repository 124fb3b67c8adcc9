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

// Marks every losing row for deletion and moves the losing notes' revisions; none when
// a read failed.
std::optional<Deduplicator::Summary> plan(ModelContext& context) {
    Deduplicator::Summary summary;
    const auto todos = collapse<SyncedTodo>(context, [](const SyncedTodo& a, const SyncedTodo& b) {
        if (a.createdAt != b.createdAt) return a.createdAt < b.createdAt;
        return a.isDone && !b.isDone;
    });
    if (!todos) return std::nullopt;
    summary.todos = *todos;

    // Notes are compared by their revision counts, read once.
    const auto notes = context.fetch<SyncedNote>();
    if (!notes) return std::nullopt;
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
    if (!timers) return std::nullopt;
    summary.timers = *timers;
    const auto shortcuts = collapse<SyncedShortcut>(context, byIndex);
    if (!shortcuts) return std::nullopt;
    summary.shortcuts = *shortcuts;
    return summary;
}

} // namespace

// Planned once to see whether anything goes, then again with the write lock held: a
// revision another copy added to a losing note meanwhile moves too instead of going
// with that note.
std::optional<Deduplicator::Summary> Deduplicator::run(ModelContext& context, QString* error) const {
    std::optional<Summary> summary = plan(context);
    QString reason;
    if (summary && !summary->isEmpty()) {
        const bool saved = context.saveIf(
            [&](sqlite::Connection&) {
                context.rollback();
                summary = plan(context);
                return summary && !summary->isEmpty();
            },
            &reason);
        // Without a reason, the second plan found nothing to collapse or could not read.
        if (!saved && !reason.isEmpty()) summary.reset();
    }
    if (!summary && error) *error = reason.isEmpty() ? QStringLiteral("the store could not be read") : reason;
    return summary;
}

} // namespace vesk
