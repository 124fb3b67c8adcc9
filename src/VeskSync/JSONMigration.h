#pragma once

#include <QString>

#include <optional>

namespace vesk {

class ClockSource;
class ModelContext;

// Copies what earlier versions kept in plain files ("todos.json", "shortcuts.json",
// "note.txt" in $XDG_DATA_HOME/<containerName>) into the synced store, once per user
// (the flag "didMigrateJSONStores", kept also as a file beside the old ones). Rows whose
// uuid the store holds are skipped; a row that cannot be read is skipped alone; a file
// that exists and cannot be read is skipped with a trace line. The old files are only read.
struct JSONMigration {
    struct Summary {
        int todos = 0;
        int timers = 0; // no timer file was ever written
        int shortcuts = 0;
        int notes = 0;
        int total() const { return todos + timers + shortcuts + notes; }
        bool isEmpty() const { return total() == 0; }
        friend bool operator==(const Summary&, const Summary&) = default;
    };

    static constexpr const char* flagKey = "didMigrateJSONStores";

    QString containerName;
    QString deviceID;
    // The time stamped on imported rows that carry none; the wall clock when null.
    const ClockSource* clock = nullptr;

    // True when either record of the import says it ran.
    bool hasRun() const;
    // The file beside the old files that records the import.
    QString doneFilePath() const;
    // All zero without reading anything once the flag is set, unless `force`. None when
    // the save failed (the flag stays unset), with the reason in `error`.
    std::optional<Summary> run(ModelContext& context, bool force, QString* error = nullptr) const;

private:
    // Sets whichever record of the import is missing.
    void markDone() const;
};

} // namespace vesk
