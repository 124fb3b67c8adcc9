#include "VeskSync/DeskRepository.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/Sqlite.h"

#include <algorithm>

namespace vesk {

namespace {

constexpr double secondsPerDay = 86400.0;

template <class T> RecordList<T> sortedByIndex(RecordList<T> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return a->sortIndex < b->sortIndex; });
    return records;
}

// SQLite's reason, as a sentence.
QString readFailure(QString reason) {
    if (!reason.isEmpty()) reason[0] = reason[0].toUpper();
    return reason + QLatin1Char('.');
}

bool todoBefore(const TodoSnapshot& a, const TodoSnapshot& b) {
    if (a.isDone != b.isDone) return !a.isDone;
    if (a.isFavorite != b.isFavorite) return a.isFavorite;
    return a.createdAt > b.createdAt;
}

// The note as this computer shows it, and its own revision's text (none without one).
struct NoteReading {
    QString text;
    bool conflict = false;
    std::optional<QString> own;
};

// This computer's most recently edited revision merged with the newest of the others.
NoteReading readNote(RecordList<SyncedNoteRevision> revisions, const QString& deviceID,
                     const NoteMerge& merger) {
    std::stable_sort(revisions.begin(), revisions.end(),
                     [](const auto& a, const auto& b) { return a->editedAt < b->editedAt; });
    std::shared_ptr<SyncedNoteRevision> own;
    std::shared_ptr<SyncedNoteRevision> newestOther;
    for (const auto& revision : revisions) {
        if (revision->deviceID == deviceID)
            own = revision;
        else if (!newestOther || revision->editedAt > newestOther->editedAt)
            newestOther = revision;
    }
    const std::optional<QString> ownText = own ? std::make_optional(own->text) : std::nullopt;
    if (!newestOther) return {ownText.value_or(QString()), false, ownText};
    if (!own) return {newestOther->text, false, ownText};
    const QString merged = merger.merge(std::nullopt, own->text, newestOther->text);
    return {merged, merged.contains(NoteMerge::separator), ownText};
}

} // namespace

const QUuid DeskRepository::scratchNoteID{QStringLiteral("00000000-0000-0000-0000-00006E6F7465")};

DeskRepository::DeskRepository(std::shared_ptr<ModelContext> context, QString deviceID,
                               const ClockSource* clock, QObject* parent)
    : QObject(parent), m_context(std::move(context)), m_deviceID(std::move(deviceID)), m_clock(clock) {
    if (!m_context) return;
    refresh();
    observeRemoteChanges();
}

DeskRepository::~DeskRepository() = default;

Date DeskRepository::now() const {
    return m_clock ? m_clock->now() : Date::now();
}

void DeskRepository::observeRemoteChanges() {
    m_remoteChangeObserver = connect(&m_context->container(), &ModelContainer::remoteChange, this, [this] {
        saveUnsaved();
        refresh();
    });
}

void DeskRepository::setUnavailable(const QString& reason) {
    if (!m_context) setUnavailableReason(reason);
}

void DeskRepository::attach(std::shared_ptr<ModelContext> context) {
    if (m_context || !context) return;
    m_context = std::move(context);
    refresh();
    observeRemoteChanges();
}

bool DeskRepository::ensureStore() {
    if (!m_context && m_reopen) m_reopen();
    return m_context != nullptr;
}

template <class T> std::optional<QList<std::shared_ptr<T>>> DeskRepository::read() {
    if (!m_context) return std::nullopt;
    if (auto found = m_context->fetch<T>()) return found;
    ModelContainer& container = m_context->container();
    QString reason = container.connection().lastError();
    if (container.connection().lastFailureIsDamage() && container.recover(reason))
        if (auto found = m_context->fetch<T>()) return found;
    if (container.connection().isOpen()) reason = container.connection().lastError();
    m_readFailed = true;
    setUnavailableReason(readFailure(reason));
    return std::nullopt;
}

void DeskRepository::setUnavailableReason(const QString& reason) {
    if (m_unavailableReason == reason) return;
    m_unavailableReason = reason;
    Q_EMIT availabilityChanged();
}

void DeskRepository::stop() {
    disconnect(m_remoteChangeObserver);
    m_remoteChangeObserver = {};
}

// Only edits whose save failed are unsaved here. They are never let go: the user typed
// them, and the context keeps them until a save takes them.
bool DeskRepository::saveUnsaved() {
    if (!m_context) return true;
    return save();
}

void DeskRepository::reloadFromStore() {
    if (!ensureStore()) return;
    saveUnsaved();
    refresh();
}

// A list that cannot be read keeps what it showed: an empty list would say the user's
// rows are gone.
void DeskRepository::refresh() {
    if (!m_context) return;
    m_readFailed = false;
    if (const auto rows = read<SyncedTodo>()) {
        QList<TodoSnapshot> todos;
        for (const auto& todo : *rows)
            todos.append({todo->uuid, todo->title, todo->isDone, todo->isFavorite, todo->createdAt});
        std::stable_sort(todos.begin(), todos.end(), todoBefore);
        setTodos(todos);
    }
    if (const auto rows = read<SyncedTimer>()) {
        QList<TimerSnapshot> timers;
        for (const auto& timer : sortedByIndex(*rows))
            timers.append({timer->uuid, timer->label, timer->total});
        setTimers(timers);
    }
    if (const auto rows = read<SyncedShortcut>()) {
        QList<ShortcutSnapshot> shortcuts;
        for (const auto& shortcut : sortedByIndex(*rows))
            shortcuts.append({shortcut->uuid, shortcut->shortcutName, shortcut->customName, shortcut->symbol,
                              shortcut->textInput});
        setShortcuts(shortcuts);
    }
    refreshNote();
    if (!m_readFailed) setUnavailableReason({});
    setUnsaved(m_unsavedReason);
}

// ---- Edits

// Saves every change of the context, those of earlier failed saves too. A note that
// waits, and what `decide` changes, are put over the store as it is once no other copy
// can write to it: what that copy stored while this one waited for the lock is merged
// or decided on, never written over.
bool DeskRepository::save(const std::function<void()>& decide) {
    QString error;
    const bool saved = m_noteWaiting || decide ? m_context->saveIf(
                                                     [&](sqlite::Connection&) {
                                                         if (m_noteWaiting) placeWaitingNote();
                                                         if (decide) decide();
                                                         return true;
                                                     },
                                                     &error)
                                               : m_context->save(&error);
    if (m_noteWaiting) {
        setNoteText(m_noteWaiting->text);
        if (m_noteWaiting->merged) setNoteHadConflict(m_noteWaiting->text.contains(NoteMerge::separator));
    }
    if (saved && m_noteWaiting) {
        m_noteSeen = {m_noteWaiting->ownOnceStored, m_noteWaiting->text};
        m_noteWaiting.reset();
    }
    setUnsaved(saved ? QString() : readFailure(error));
    return saved;
}

// Which kinds of edit wait is read from the context, so that each widget says only what
// is its own; an edit let go (its row deleted elsewhere) no longer waits.
void DeskRepository::setUnsaved(const QString& reason) {
    int kinds = 0;
    if (m_context && !reason.isEmpty()) {
        const auto add = [&kinds](bool waits, Kind kind) { kinds |= waits ? int(kind) : 0; };
        add(m_context->hasChanges<SyncedTodo>(), Kind::todos);
        add(m_noteWaiting || m_context->hasChanges<SyncedNote>() ||
                m_context->hasChanges<SyncedNoteRevision>(),
            Kind::note);
        add(m_context->hasChanges<SyncedTimer>(), Kind::timers);
        add(m_context->hasChanges<SyncedShortcut>(), Kind::shortcuts);
    }
    const QString said = kinds ? reason : QString();
    if (said == m_unsavedReason && kinds == m_unsavedKinds) return;
    if (said != m_unsavedReason)
        TraceLog::trace(said.isEmpty()
                            ? QStringLiteral("desk store: unsaved edits saved")
                            : QStringLiteral("desk store: cannot save edits, kept unsaved: ") + said);
    m_unsavedReason = said;
    m_unsavedKinds = kinds;
    Q_EMIT availabilityChanged();
}

QString DeskRepository::unsavedReason(Kind kind) const {
    return m_unsavedKinds & int(kind) ? m_unsavedReason : QString();
}

// The refresh keeps showing what the save could not store: fetches see the context's
// unsaved changes.
void DeskRepository::saveAndRefresh(const std::function<void()>& decide) {
    save(decide);
    refresh();
}

std::shared_ptr<SyncedTodo> DeskRepository::fetchTodo(const QUuid& id) {
    const auto found = m_context->fetch<SyncedTodo>(id);
    return found && !found->isEmpty() ? found->constFirst() : nullptr;
}

bool DeskRepository::addTodo(const QString& title) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty()) return true;
    if (!ensureStore()) return false;
    m_context->insert(std::make_shared<SyncedTodo>(SyncedTodo{.uuid = QUuid::createUuid(),
                                                              .title = trimmed,
                                                              .isDone = false,
                                                              .isFavorite = false,
                                                              .createdAt = now(),
                                                              .completedAt = std::nullopt,
                                                              .sortIndex = 0,
                                                              .deviceID = m_deviceID}));
    saveAndRefresh();
    return true;
}

void DeskRepository::toggleTodo(const QUuid& id) {
    if (!ensureStore()) return;
    const auto todo = fetchTodo(id);
    if (!todo) return;
    todo->isDone = !todo->isDone;
    todo->completedAt = todo->isDone ? std::make_optional(now()) : std::nullopt;
    saveAndRefresh();
}

void DeskRepository::favoriteTodo(const QUuid& id) {
    if (!ensureStore()) return;
    const auto todo = fetchTodo(id);
    if (!todo) return;
    todo->isFavorite = !todo->isFavorite;
    saveAndRefresh();
}

void DeskRepository::deleteTodo(const QUuid& id) {
    if (!ensureStore()) return;
    const auto todo = fetchTodo(id);
    if (!todo) return;
    m_context->remove(todo);
    saveAndRefresh();
}

// Decided again with the write lock held, so a to-do another copy reopened meanwhile
// stays; deletions a failed save could not store are forgotten, not kept to be written
// later over what may change by then: the next archive decides again.
int DeskRepository::archiveExpired(int days, Date now) {
    if (!ensureStore()) return 0;
    const auto expired = [days, now](const std::shared_ptr<SyncedTodo>& todo) {
        return todo->isDone && todo->completedAt && double(days) * secondsPerDay < now - *todo->completedAt;
    };
    const auto todos = m_context->fetch<SyncedTodo>();
    if (!todos || std::none_of(todos->cbegin(), todos->cend(), expired)) return 0;
    RecordList<SyncedTodo> deleted;
    const bool saved = save([&] {
        for (const auto& todo : m_context->fetch<SyncedTodo>().value_or(RecordList<SyncedTodo>{}))
            if (expired(todo)) {
                m_context->remove(todo);
                deleted.append(todo);
            }
    });
    if (!saved)
        for (const auto& todo : std::as_const(deleted))
            m_context->rollback(todo);
    if (!deleted.isEmpty()) refresh();
    return saved ? int(deleted.size()) : 0;
}

void DeskRepository::addTimer(double total, const QString& label) {
    if (!ensureStore()) return;
    m_context->insert(std::make_shared<SyncedTimer>(SyncedTimer{
        .uuid = QUuid::createUuid(), .label = label, .total = total, .sortIndex = m_timers.size()}));
    saveAndRefresh();
}

template <class T> void DeskRepository::removeFirst(const QUuid& id) {
    if (!ensureStore()) return;
    const auto found = m_context->fetch<T>(id);
    if (!found || found->isEmpty()) return;
    m_context->remove(found->constFirst());
    saveAndRefresh();
}

void DeskRepository::removeTimer(const QUuid& id) {
    removeFirst<SyncedTimer>(id);
}

void DeskRepository::addShortcut(const QString& name, const QString& symbol) {
    if (!ensureStore()) return;
    m_context->insert(std::make_shared<SyncedShortcut>(SyncedShortcut{.uuid = QUuid::createUuid(),
                                                                      .shortcutName = name,
                                                                      .customName = std::nullopt,
                                                                      .symbol = symbol,
                                                                      .textInput = std::nullopt,
                                                                      .sortIndex = m_shortcuts.size()}));
    saveAndRefresh();
}

void DeskRepository::removeShortcut(const QUuid& id) {
    removeFirst<SyncedShortcut>(id);
}

bool DeskRepository::addShortcutsIfNone(const QList<std::pair<QString, QString>>& entries) {
    // Edits of a failed save go first: a "no" below forgets every change in the context.
    if (!ensureStore() || !saveUnsaved()) return false;
    RecordList<SyncedShortcut> added;
    for (const auto& [name, symbol] : entries) {
        added.append(std::make_shared<SyncedShortcut>(SyncedShortcut{.uuid = QUuid::createUuid(),
                                                                     .shortcutName = name,
                                                                     .customName = std::nullopt,
                                                                     .symbol = symbol,
                                                                     .textInput = std::nullopt,
                                                                     .sortIndex = added.size()}));
        m_context->insert(added.constLast());
    }
    const bool saved = m_context->saveIf([](sqlite::Connection& db) {
        return db.integer("SELECT count(*) FROM SyncedShortcut").value_or(1) == 0;
    });
    // Never left to be saved later without the check.
    if (!saved)
        for (const auto& shortcut : std::as_const(added))
            m_context->remove(shortcut);
    refresh();
    return saved;
}

// ---- Scratch note

void DeskRepository::saveNote(const QString& text) {
    if (!ensureStore()) return;
    m_noteWaiting =
        WaitingNote{.text = text, .editedAt = now(), .merged = false, .ownOnceStored = std::nullopt};
    save();
}

// The waiting text goes into the context afresh each time, over the store's note as it
// is now: into this computer's revision that is there now (the other copy may have made
// it meanwhile), merged with its text when that changed since this copy read it.
void DeskRepository::placeWaitingNote() {
    WaitingNote& waiting = *m_noteWaiting;
    m_context->rollback<SyncedNote>();
    m_context->rollback<SyncedNoteRevision>();
    const auto notes = m_context->fetch<SyncedNote>(scratchNoteID);
    auto note = notes && !notes->isEmpty() ? notes->constFirst() : nullptr;
    std::optional<RecordList<SyncedNoteRevision>> revisions;
    if (notes) revisions = note ? m_context->revisions(note) : RecordList<SyncedNoteRevision>{};
    if (revisions) {
        const NoteReading stored = readNote(*revisions, m_deviceID, m_merger);
        if (stored.own != m_noteSeen.own) {
            const QString theirs = stored.own.value_or(QString());
            // Both copies edited what this one showed: each edit stays where it was made,
            // with no separator unless they overlap, so the two typing at once do not
            // copy the note into itself at every keystroke.
            std::optional<QString> both;
            if (m_noteSeen.own == m_noteSeen.shown)
                both = m_merger.combine(m_noteSeen.shown, waiting.text, theirs);
            waiting.text = both ? *both : m_merger.merge(m_noteSeen.shown, waiting.text, theirs);
            waiting.editedAt = now();
            waiting.merged = true;
        }
        m_noteSeen = {stored.own, stored.text};
    }
    if (!note) {
        note = std::make_shared<SyncedNote>(SyncedNote{
            .uuid = scratchNoteID, .title = QStringLiteral("Notes"), .updatedAt = waiting.editedAt});
        m_context->insert(note);
    }
    note->updatedAt = waiting.editedAt;
    RecordList<SyncedNoteRevision> written = revisions.value_or(RecordList<SyncedNoteRevision>{});
    std::shared_ptr<SyncedNoteRevision> own;
    for (const auto& revision : std::as_const(written))
        if (revision->deviceID == m_deviceID) {
            own = revision;
            break;
        }
    if (own) {
        own->text = waiting.text;
        own->editedAt = waiting.editedAt;
    } else {
        written.append(std::make_shared<SyncedNoteRevision>(SyncedNoteRevision{.uuid = QUuid::createUuid(),
                                                                               .text = waiting.text,
                                                                               .editedAt = waiting.editedAt,
                                                                               .deviceID = m_deviceID}));
        m_context->setNote(written.constLast(), note);
    }
    waiting.ownOnceStored = readNote(written, m_deviceID, m_merger).own;
}

void DeskRepository::refreshNote() {
    // Shown as the next save will write it.
    if (m_noteWaiting) placeWaitingNote();
    const auto notes = read<SyncedNote>();
    if (!notes) return;
    std::shared_ptr<SyncedNote> note;
    for (const auto& candidate : *notes)
        if (candidate->uuid == scratchNoteID) {
            note = candidate;
            break;
        }
    RecordList<SyncedNoteRevision> revisions;
    if (note) {
        const auto found = m_context->revisions(note);
        if (!found) {
            m_readFailed = true;
            setUnavailableReason(readFailure(m_context->container().connection().lastError()));
            return;
        }
        revisions = *found;
    }
    const NoteReading reading = readNote(revisions, m_deviceID, m_merger);
    if (!m_noteWaiting) m_noteSeen = {reading.own, reading.text};
    setNoteText(reading.text);
    setNoteHadConflict(reading.conflict);
}

// ---- Observable fields

void DeskRepository::setTodos(const QList<TodoSnapshot>& todos) {
    if (m_todos == todos) return;
    m_todos = todos;
    Q_EMIT todosChanged();
}

void DeskRepository::setTimers(const QList<TimerSnapshot>& timers) {
    if (m_timers == timers) return;
    m_timers = timers;
    Q_EMIT timersChanged();
}

void DeskRepository::setShortcuts(const QList<ShortcutSnapshot>& shortcuts) {
    if (m_shortcuts == shortcuts) return;
    m_shortcuts = shortcuts;
    Q_EMIT shortcutsChanged();
}

void DeskRepository::setNoteText(const QString& text) {
    if (m_noteText == text) return;
    m_noteText = text;
    Q_EMIT noteTextChanged();
}

void DeskRepository::setNoteHadConflict(bool conflict) {
    if (m_noteHadConflict == conflict) return;
    m_noteHadConflict = conflict;
    Q_EMIT noteHadConflictChanged();
}

} // namespace vesk
