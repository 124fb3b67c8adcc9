#pragma once

#include "VeskSync/Records.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ModelContainer;
namespace sqlite {
class Connection;
}

template <class T> using RecordList = QList<std::shared_ptr<T>>;

// One writer's view of the store: one shared record per row, holding the values last
// read or saved plus this writer's unsaved changes. Changes are made to the records
// directly and reach the file with `save()`, all in one transaction; `rollback()`
// forgets them. Fetches see the unsaved changes. Main thread only; every context of a
// container shares its connection. Defined for the five record types.
class ModelContext {
public:
    explicit ModelContext(std::shared_ptr<ModelContainer> container);
    ~ModelContext();
    ModelContext(const ModelContext&) = delete;
    ModelContext& operator=(const ModelContext&) = delete;

    ModelContainer& container() const { return *m_container; }

    // Every record of the type in store order, then the unsaved new ones in the order
    // they were inserted, without those deleted here; with `uuid`, only those with that
    // uuid. None when the store cannot be read.
    template <class T> std::optional<RecordList<T>> fetch(std::optional<QUuid> uuid = std::nullopt);
    // A record not yet in this context becomes a new row at the next save.
    template <class T> void insert(const std::shared_ptr<T>& record);
    // Deleting a note deletes its revisions.
    template <class T> void remove(const std::shared_ptr<T>& record);
    // The name a cloud mirror knows the row by; empty for a record not in this context.
    template <class T> QString recordName(const std::shared_ptr<T>& record) const;

    // The two sides of the note relationship, kept in step: a revision is among its
    // note's revisions exactly when it names that note. None when the store cannot be
    // read; revisions come in store order, then unsaved new ones.
    std::optional<RecordList<SyncedNoteRevision>> revisions(const std::shared_ptr<SyncedNote>& note);
    std::shared_ptr<SyncedNote> note(const std::shared_ptr<SyncedNoteRevision>& revision);
    void setNote(const std::shared_ptr<SyncedNoteRevision>& revision,
                 const std::shared_ptr<SyncedNote>& note);

    bool hasChanges() const;
    // Whether records of the type hold unsaved changes.
    template <class T> bool hasChanges() const;
    // Writes every change in one transaction. Nothing to write is a success. On failure
    // nothing is written, every change stays here, and `error` says why. An edit or a
    // delete of a row that is no longer there (deleted by another writer, even if a new
    // row took its pk) writes nothing and is let go. Rows changed here are read again
    // once the write lock is held: what another writer stored meanwhile stays wherever
    // this context did not change it.
    bool save(QString* error = nullptr);
    // As save(), but first, inside the write transaction and with what other writers
    // committed before it in view, `inTransaction` may read and make changes, and decides
    // whether they are written at all; it is called even when nothing has changed yet.
    // When it says no, nothing is written, the changes are forgotten and the result is
    // false with `error` left empty.
    bool saveIf(const std::function<bool(sqlite::Connection&)>& inTransaction, QString* error = nullptr);
    // Forgets the unsaved changes: records return to their last read or saved values.
    void rollback();
    // The same for the records of one type only, or for one record.
    template <class T> void rollback();
    template <class T> void rollback(const std::shared_ptr<T>& record);

private:
    struct Impl;
    std::shared_ptr<ModelContainer> m_container;
    std::unique_ptr<Impl> d;
};

} // namespace vesk
