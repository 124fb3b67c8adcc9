#include "VeskSync/ModelContext.h"

#include "VeskKit/Foundation/Json.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/Schema.h"
#include "VeskSync/Sqlite.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <tuple>
#include <type_traits>
#include <utility>

namespace vesk {

namespace {

template <class T> constexpr bool isRevision = std::is_same_v<T, SyncedNoteRevision>;

// Each stored attribute of a record.
auto fields(SyncedTodo& r) {
    return std::tie(r.uuid, r.title, r.isDone, r.isFavorite, r.createdAt, r.completedAt, r.sortIndex,
                    r.deviceID);
}
auto fields(SyncedNote& r) {
    return std::tie(r.uuid, r.title, r.updatedAt);
}
auto fields(SyncedNoteRevision& r) {
    return std::tie(r.uuid, r.text, r.editedAt, r.deviceID);
}
auto fields(SyncedTimer& r) {
    return std::tie(r.uuid, r.label, r.total, r.sortIndex);
}
auto fields(SyncedShortcut& r) {
    return std::tie(r.uuid, r.shortcutName, r.customName, r.symbol, r.textInput, r.sortIndex);
}

// A row changed here that another writer changed too: the attributes changed here keep
// their values and the others take the stored ones, so that writing the row never puts
// back an older value of an attribute this writer did not touch.
template <class T> void rebase(T& record, T base, T stored) {
    auto mine = fields(record);
    const auto was = fields(base);
    const auto now = fields(stored);
    const auto each = [&]<std::size_t... I>(std::index_sequence<I...>) {
        ((std::get<I>(mine) == std::get<I>(was) ? void(std::get<I>(mine) = std::get<I>(now)) : void()), ...);
    };
    each(std::make_index_sequence<std::tuple_size_v<decltype(mine)>>());
}

// Where a revision points. A note row not read yet is named by its pk until asked for.
struct NoteLink {
    std::shared_ptr<SyncedNote> note;
    std::optional<qint64> unreadPk;
    std::optional<qint64> savedPk;
};

template <class T> struct Entry {
    std::shared_ptr<T> record;
    T saved;
    std::optional<qint64> pk; // none until the first save
    QString recordName;
    bool deleted = false;
    // A save found the row no longer there (deleted elsewhere, its pk maybe taken by a
    // new row): it is let go once the save commits.
    bool gone = false;
    NoteLink link; // revisions only
};

// The tracked rows of one type: saved ones in pk order, then new ones in insert order.
template <class T> struct Table {
    QList<std::shared_ptr<Entry<T>>> order;
    QHash<qint64, Entry<T>*> byPk;
    QHash<const T*, Entry<T>*> byRecord;

    Entry<T>* find(const T* record) const { return byRecord.value(record); }
    Entry<T>* add(std::shared_ptr<Entry<T>> entry) {
        Entry<T>* raw = entry.get();
        if (raw->pk) byPk.insert(*raw->pk, raw);
        byRecord.insert(raw->record.get(), raw);
        order.append(std::move(entry));
        return raw;
    }
    void drop(Entry<T>* entry) {
        if (entry->pk) byPk.remove(*entry->pk);
        byRecord.remove(entry->record.get());
        order.removeIf([entry](const auto& e) { return e.get() == entry; });
    }
    void sort() {
        std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
            if (a->pk.has_value() != b->pk.has_value()) return a->pk.has_value();
            return a->pk && *a->pk < *b->pk;
        });
    }
};

} // namespace

struct ModelContext::Impl {
    explicit Impl(ModelContainer& container) : container(container), db(container.connection()) {}

    ModelContainer& container;
    sqlite::Connection& db;
    std::tuple<Table<SyncedTodo>, Table<SyncedNote>, Table<SyncedNoteRevision>, Table<SyncedTimer>,
               Table<SyncedShortcut>>
        tables;

    template <class T> Table<T>& table() { return std::get<Table<T>>(tables); }

    // The note pk a link names now; `pending` when its note has no row yet.
    std::optional<qint64> currentPk(const NoteLink& link, bool* pending = nullptr) {
        if (pending) *pending = false;
        if (!link.note) return link.unreadPk;
        const Entry<SyncedNote>* note = table<SyncedNote>().find(link.note.get());
        if (!note) return std::nullopt;
        if (!note->pk && pending) *pending = true;
        return note->pk;
    }

    // Whether a revision's link differs from what it last read or saved.
    bool linkChanged(const NoteLink& link) {
        bool pending = false;
        const auto pk = currentPk(link, &pending);
        return pending || pk != link.savedPk;
    }

    template <class T> bool valuesChanged(const Entry<T>& entry) {
        return !entry.pk || entry.deleted || !(*entry.record == entry.saved);
    }

    template <class T> bool isChanged(Entry<T>& entry) {
        if (valuesChanged(entry)) return true;
        if constexpr (isRevision<T>) return linkChanged(entry.link);
        return false;
    }

    // Takes one row of a `select` into the table: a new record, or the tracked one,
    // refreshed where it holds no unsaved change. A revision's values and its link are
    // refreshed each on its own, so another writer moving it to another note is seen
    // even while its text has an unsaved edit here. A pk now holding another uuid was
    // given to a new row after the tracked one was deleted elsewhere: the tracked one
    // goes, with any unsaved change of it.
    template <class T> Entry<T>* adopt(const sqlite::Statement& row) {
        const qint64 pk = row.integer(0);
        T values = RecordTable<T>::read(row, 2);
        std::optional<qint64> notePk;
        if constexpr (isRevision<T>) notePk = row.optionalInteger(6);
        Table<T>& t = table<T>();
        if (Entry<T>* entry = t.byPk.value(pk); entry && entry->saved.uuid != values.uuid) drop(entry);
        if (Entry<T>* entry = t.byPk.value(pk)) {
            if (!valuesChanged(*entry))
                *entry->record = values;
            else if (!entry->deleted)
                rebase(*entry->record, entry->saved, values);
            if constexpr (isRevision<T>)
                if (!entry->deleted && !linkChanged(entry->link) && currentPk(entry->link) != notePk)
                    entry->link = NoteLink{nullptr, notePk, notePk};
            entry->saved = std::move(values);
            if constexpr (isRevision<T>) entry->link.savedPk = notePk;
            return entry;
        }
        auto entry = std::make_shared<Entry<T>>();
        entry->record = std::make_shared<T>(values);
        entry->saved = std::move(values);
        entry->pk = pk;
        entry->recordName = row.text(1);
        if constexpr (isRevision<T>) entry->link = NoteLink{nullptr, notePk, notePk};
        return t.add(std::move(entry));
    }

    // Stops tracking a row. Revisions still linked to a note that goes fall back to the
    // note the store last named for them, so the next read follows wherever another
    // writer moved them instead of leaving a link to nothing.
    template <class T> void drop(Entry<T>* entry) {
        if constexpr (std::is_same_v<T, SyncedNote>)
            for (const auto& revision : table<SyncedNoteRevision>().order)
                if (revision->link.note == entry->record)
                    revision->link = NoteLink{nullptr, revision->link.savedPk, revision->link.savedPk};
        table<T>().drop(entry);
    }

    template <class T> bool readAll() {
        sqlite::Statement select(db,
                                 QByteArray(QByteArray(RecordTable<T>::select) + " ORDER BY pk").constData());
        QSet<Entry<T>*> seen;
        while (select.step())
            seen.insert(adopt<T>(select));
        if (!select.isValid() || select.failed()) return false;
        Table<T>& t = table<T>();
        const auto tracked = t.order;
        for (const auto& entry : tracked)
            if (entry->pk && !seen.contains(entry.get())) drop(entry.get());
        t.sort();
        return true;
    }

    std::optional<qint64> bindablePk(const NoteLink& link, const QHash<const void*, qint64>& newPks) {
        if (!link.note) return link.unreadPk;
        const Entry<SyncedNote>* note = table<SyncedNote>().find(link.note.get());
        if (!note) return std::nullopt;
        if (note->pk) return note->pk;
        if (newPks.contains(note)) return newPks.value(note);
        return std::nullopt;
    }

    template <class T>
    void bindNote(sqlite::Statement& statement, int index, const Entry<T>& entry,
                  const QHash<const void*, qint64>& newPks) {
        if constexpr (isRevision<T>) {
            if (const auto pk = bindablePk(entry.link, newPks))
                statement.bindInteger(index, *pk);
            else
                statement.bindNull(index);
        }
    }

    template <class T> bool insertNew(QHash<const void*, qint64>& newPks) {
        sqlite::Statement insert(db, RecordTable<T>::insert);
        for (const auto& entry : table<T>().order) {
            if (entry->pk) continue;
            insert.reset();
            insert.bindText(1, entry->recordName);
            const int next = RecordTable<T>::bind(insert, *entry->record, 2);
            bindNote(insert, next, *entry, newPks);
            if (!insert.run()) return false;
            newPks.insert(entry.get(), db.lastInsertRowId());
        }
        return insert.isValid();
    }

    // Binds the row an edit is for: its pk, and the uuid it held when read, so a row that
    // took a deleted row's pk is never the one changed.
    template <class T> void bindRow(sqlite::Statement& statement, int index, const Entry<T>& entry) {
        statement.bindInteger(index, *entry.pk);
        statement.bindText(index + 1, json::uuidString(entry.saved.uuid));
    }

    template <class T> bool updateChanged(const QHash<const void*, qint64>& newPks) {
        sqlite::Statement update(db, RecordTable<T>::update);
        for (const auto& entry : table<T>().order) {
            if (!entry->pk || entry->deleted || !isChanged(*entry)) continue;
            update.reset();
            int next = RecordTable<T>::bind(update, *entry->record, 1);
            if constexpr (isRevision<T>) bindNote(update, next++, *entry, newPks);
            bindRow(update, next, *entry);
            if (!update.run()) return false;
            entry->gone = db.changes() == 0;
        }
        return update.isValid();
    }

    template <class T> bool deleteRemoved() {
        sqlite::Statement remove(db, RecordTable<T>::remove);
        for (const auto& entry : table<T>().order) {
            if (!entry->deleted) continue;
            remove.reset();
            bindRow(remove, 1, *entry);
            if (!remove.run()) return false;
            entry->gone = db.changes() == 0;
        }
        return remove.isValid();
    }

    // What was written: rows found gone were not.
    template <class T> void collectChanges(QList<StoreChange>& changes) {
        for (const auto& entry : table<T>().order)
            if (!entry->gone && isChanged(*entry))
                changes.append(
                    {QString::fromLatin1(RecordTable<T>::name), entry->recordName, entry->deleted});
    }

    // A save that did not commit found nothing: the next one looks again.
    template <class T> void forgetGone() {
        for (const auto& entry : table<T>().order)
            entry->gone = false;
    }

    // After a commit: what is in memory is what is stored.
    template <class T> void settle(const QHash<const void*, qint64>& newPks) {
        Table<T>& t = table<T>();
        const auto tracked = t.order;
        for (const auto& entry : tracked) {
            if (entry->deleted || entry->gone) {
                drop(entry.get());
                continue;
            }
            if (!entry->pk) {
                entry->pk = newPks.value(entry.get());
                t.byPk.insert(*entry->pk, entry.get());
            }
            entry->saved = *entry->record;
        }
        if constexpr (isRevision<T>)
            for (const auto& entry : t.order)
                entry->link.savedPk = currentPk(entry->link);
    }

    template <class T> void restore(Entry<T>* entry) {
        if (!entry->pk) {
            drop(entry);
            return;
        }
        entry->deleted = false;
        *entry->record = entry->saved;
        if constexpr (isRevision<T>)
            entry->link = NoteLink{nullptr, entry->link.savedPk, entry->link.savedPk};
    }

    template <class T> void restore() {
        const auto tracked = table<T>().order;
        for (const auto& entry : tracked)
            restore(entry.get());
    }

    // Reads again the rows of each type that holds changes.
    template <class... T> bool rereadChanged() { return ((!anyChange<T>() || readAll<T>()) && ...); }

    template <class T> bool anyChange() {
        for (const auto& entry : table<T>().order)
            if (isChanged(*entry)) return true;
        return false;
    }
};

ModelContext::ModelContext(std::shared_ptr<ModelContainer> container)
    : m_container(std::move(container)), d(std::make_unique<Impl>(*m_container)) {}

ModelContext::~ModelContext() = default;

template <class T> std::optional<RecordList<T>> ModelContext::fetch(std::optional<QUuid> uuid) {
    if (!d->readAll<T>()) return std::nullopt;
    RecordList<T> records;
    for (const auto& entry : d->table<T>().order)
        if (!entry->deleted && (!uuid || entry->record->uuid == *uuid)) records.append(entry->record);
    return records;
}

template <class T> void ModelContext::insert(const std::shared_ptr<T>& record) {
    Table<T>& t = d->table<T>();
    if (!record || t.find(record.get())) return;
    auto entry = std::make_shared<Entry<T>>();
    entry->record = record;
    entry->saved = *record;
    entry->recordName = json::uuidString(QUuid::createUuid());
    t.add(std::move(entry));
}

template <class T> void ModelContext::remove(const std::shared_ptr<T>& record) {
    Table<T>& t = d->table<T>();
    Entry<T>* entry = record ? t.find(record.get()) : nullptr;
    if (!entry) return;
    // Rows of revisions never read here go with their note in the store itself.
    if constexpr (std::is_same_v<T, SyncedNote>)
        if (const auto revisions = this->revisions(record))
            for (const auto& revision : *revisions)
                remove(revision);
    if (entry->pk)
        entry->deleted = true;
    else
        d->drop(entry);
}

template <class T> QString ModelContext::recordName(const std::shared_ptr<T>& record) const {
    const Entry<T>* entry = record ? d->table<T>().find(record.get()) : nullptr;
    return entry ? entry->recordName : QString();
}

std::optional<RecordList<SyncedNoteRevision>>
ModelContext::revisions(const std::shared_ptr<SyncedNote>& note) {
    const Entry<SyncedNote>* noteEntry = note ? d->table<SyncedNote>().find(note.get()) : nullptr;
    if (!noteEntry) return RecordList<SyncedNoteRevision>{};
    // A peer may have moved or removed revisions: read them all (a handful per note).
    if (!d->readAll<SyncedNoteRevision>()) return std::nullopt;
    RecordList<SyncedNoteRevision> revisions;
    for (const auto& entry : d->table<SyncedNoteRevision>().order) {
        if (entry->deleted) continue;
        const NoteLink& link = entry->link;
        const bool linked = link.note ? link.note == note
                                      : (link.unreadPk && noteEntry->pk && *link.unreadPk == *noteEntry->pk);
        if (linked) revisions.append(entry->record);
    }
    return revisions;
}

std::shared_ptr<SyncedNote> ModelContext::note(const std::shared_ptr<SyncedNoteRevision>& revision) {
    Entry<SyncedNoteRevision>* entry =
        revision ? d->table<SyncedNoteRevision>().find(revision.get()) : nullptr;
    if (!entry) return nullptr;
    if (entry->link.note || !entry->link.unreadPk) return entry->link.note;
    Table<SyncedNote>& notes = d->table<SyncedNote>();
    Entry<SyncedNote>* note = notes.byPk.value(*entry->link.unreadPk);
    if (!note) {
        sqlite::Statement select(
            d->db, QByteArray(QByteArray(RecordTable<SyncedNote>::select) + " WHERE pk = ?").constData());
        select.bindInteger(1, *entry->link.unreadPk);
        if (select.isValid() && select.step()) note = d->adopt<SyncedNote>(select);
        notes.sort();
    }
    if (!note || note->deleted) return nullptr;
    entry->link.note = note->record;
    entry->link.unreadPk.reset();
    return note->record;
}

void ModelContext::setNote(const std::shared_ptr<SyncedNoteRevision>& revision,
                           const std::shared_ptr<SyncedNote>& note) {
    if (!revision) return;
    insert(revision);
    if (note) insert(note);
    Entry<SyncedNoteRevision>* entry = d->table<SyncedNoteRevision>().find(revision.get());
    entry->link.note = note;
    entry->link.unreadPk.reset();
}

template <class T> bool ModelContext::hasChanges() const {
    return d->anyChange<T>();
}

template <class T> void ModelContext::rollback() {
    d->restore<T>();
}

template <class T> void ModelContext::rollback(const std::shared_ptr<T>& record) {
    if (Entry<T>* entry = record ? d->table<T>().find(record.get()) : nullptr) d->restore(entry);
}

bool ModelContext::hasChanges() const {
    return d->anyChange<SyncedTodo>() || d->anyChange<SyncedNote>() || d->anyChange<SyncedNoteRevision>() ||
           d->anyChange<SyncedTimer>() || d->anyChange<SyncedShortcut>();
}

bool ModelContext::save(QString* error) {
    return saveIf({}, error);
}

bool ModelContext::saveIf(const std::function<bool(sqlite::Connection&)>& inTransaction, QString* error) {
    if (!inTransaction && !hasChanges()) return true;
    sqlite::Connection& db = d->db;
    if (!db.exec("BEGIN IMMEDIATE")) {
        if (error) *error = db.lastError();
        return false;
    }
    if (inTransaction && !inTransaction(db)) {
        db.exec("ROLLBACK");
        rollback();
        return false;
    }
    // Read again now that no other writer can change them: what another one stored while
    // this one waited for the lock is written over only where this one changed it.
    bool written =
        d->rereadChanged<SyncedNote, SyncedNoteRevision, SyncedTodo, SyncedTimer, SyncedShortcut>();
    if (written && !hasChanges()) {
        db.exec("ROLLBACK");
        return true;
    }
    QHash<const void*, qint64> newPks;
    written = written && d->insertNew<SyncedNote>(newPks) && d->insertNew<SyncedNoteRevision>(newPks) &&
              d->insertNew<SyncedTodo>(newPks) && d->insertNew<SyncedTimer>(newPks) &&
              d->insertNew<SyncedShortcut>(newPks) && d->updateChanged<SyncedNote>(newPks) &&
              d->updateChanged<SyncedNoteRevision>(newPks) && d->updateChanged<SyncedTodo>(newPks) &&
              d->updateChanged<SyncedTimer>(newPks) && d->updateChanged<SyncedShortcut>(newPks) &&
              d->deleteRemoved<SyncedNoteRevision>() && d->deleteRemoved<SyncedNote>() &&
              d->deleteRemoved<SyncedTodo>() && d->deleteRemoved<SyncedTimer>() &&
              d->deleteRemoved<SyncedShortcut>();
    QList<StoreChange> changes;
    if (written) {
        d->collectChanges<SyncedNote>(changes);
        d->collectChanges<SyncedNoteRevision>(changes);
        d->collectChanges<SyncedTodo>(changes);
        d->collectChanges<SyncedTimer>(changes);
        d->collectChanges<SyncedShortcut>(changes);
    }
    if (!written || !db.exec("COMMIT")) {
        const QString reason = db.lastError();
        // Left outside any transaction, the connection can begin the next save; the
        // changes stay here to be written again.
        if (db.inTransaction()) db.exec("ROLLBACK");
        d->forgetGone<SyncedTodo>();
        d->forgetGone<SyncedNote>();
        d->forgetGone<SyncedNoteRevision>();
        d->forgetGone<SyncedTimer>();
        d->forgetGone<SyncedShortcut>();
        if (error) *error = reason;
        return false;
    }
    // Notes first: the revisions' links read their notes' new pks.
    d->settle<SyncedNote>(newPks);
    d->settle<SyncedNoteRevision>(newPks);
    d->settle<SyncedTodo>(newPks);
    d->settle<SyncedTimer>(newPks);
    d->settle<SyncedShortcut>(newPks);
    m_container->didCommit(changes);
    return true;
}

void ModelContext::rollback() {
    d->restore<SyncedTodo>();
    d->restore<SyncedNote>();
    d->restore<SyncedNoteRevision>();
    d->restore<SyncedTimer>();
    d->restore<SyncedShortcut>();
}

#define VESK_CONTEXT_TYPE(Type)                                                                              \
    template std::optional<RecordList<Type>> ModelContext::fetch<Type>(std::optional<QUuid>);                \
    template void ModelContext::insert<Type>(const std::shared_ptr<Type>&);                                  \
    template void ModelContext::remove<Type>(const std::shared_ptr<Type>&);                                  \
    template QString ModelContext::recordName<Type>(const std::shared_ptr<Type>&) const;                     \
    template bool ModelContext::hasChanges<Type>() const;                                                    \
    template void ModelContext::rollback<Type>();                                                            \
    template void ModelContext::rollback<Type>(const std::shared_ptr<Type>&);
VESK_CONTEXT_TYPE(SyncedTodo)
VESK_CONTEXT_TYPE(SyncedNote)
VESK_CONTEXT_TYPE(SyncedNoteRevision)
VESK_CONTEXT_TYPE(SyncedTimer)
VESK_CONTEXT_TYPE(SyncedShortcut)
#undef VESK_CONTEXT_TYPE

} // namespace vesk
