#pragma once

#include <QString>

#include <optional>

namespace vesk {

class ModelContext;

// Collapses rows that share a uuid (several devices can create them) to one keeper
// each: the earliest to-do (done before open), the note with most revisions, the
// timer and the shortcut placed first. A tie that remains goes to the row with the
// smaller record name, so every device keeps the same one. A losing note's revisions
// move to the keeper before it goes. One save for everything, none when nothing goes.
struct Deduplicator {
    struct Summary {
        int todos = 0;
        int notes = 0;
        int timers = 0;
        int shortcuts = 0;
        int total() const { return todos + notes + timers + shortcuts; }
        bool isEmpty() const { return total() == 0; }
        friend bool operator==(const Summary&, const Summary&) = default;
    };

    // None when a read or the save failed, with the reason in `error`; the context then
    // holds unsaved deletions and should be dropped.
    std::optional<Summary> run(ModelContext& context, QString* error = nullptr) const;
};

} // namespace vesk
