#include "VeskSync/DeskRepository.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include <algorithm>

namespace vesk {

namespace {

constexpr double secondsPerDay = 86400.0;

template <class T> RecordList<T> sortedByIndex(RecordList<T> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const auto& a, const auto& b) { return a->sortIndex < b->sortIndex; });
    return records;
}

bool todoBefore(const TodoSnapshot& a, const TodoSnapshot& b) {
    if (a.isDone != b.isDone) return !a.isDone;
    if (a.isFavorite != b.isFavorite) return a.isFavorite;
    return a.createdAt > b.createdAt;
}

} // namespace

const QUuid DeskRepository::scratchNoteID{QStringLiteral("00000000-0000-0000-0000-00006E6F7465")};

DeskRepository::DeskRepository(std::shared_ptr<ModelContext> context, QString deviceID,
                               const ClockSource* clock, QObject* parent)
    : QObject(parent), m_context(std::move(context)), m_deviceID(std::move(deviceID)), m_clock(clock) {
    refresh();
    observeRemoteChanges();
}

DeskRepository::~DeskRepository() = default;

Date DeskRepository::now() const {
    return m_clock ? m_clock->now() : Date::now();
}

void DeskRepository::observeRemoteChanges() {
    m_remoteChangeObserver = connect(&m_context->container(), &ModelContainer::remoteChange, this, [this] {
        keepOrForgetUnsaved();
        refresh();
    });
}

void DeskRepository::stop() {
    disconnect(m_remoteChangeObserver);
    m_remoteChangeObserver = {};
}

void DeskRepository::keepOrForgetUnsaved() {
    // Only an edit whose save failed (the store was locked) is unsaved here: try once
    // more before letting it go.
    if (m_context->hasChanges() && m_context->save()) return;
    m_context->rollback();
}

void DeskRepository::reloadFromStore() {
    keepOrForgetUnsaved();
    refresh();
}

void DeskRepository::refresh() {
    QList<TodoSnapshot> todos;
    for (const auto& todo : m_context->fetch<SyncedTodo>().value_or(RecordList<SyncedTodo>{}))
        todos.append({todo->uuid, todo->title, todo->isDone, todo->isFavorite, todo->createdAt});
    std::stable_sort(todos.begin(), todos.end(), todoBefore);
    setTodos(todos);

    QList<TimerSnapshot> timers;
    for (const auto& timer :
         sortedByIndex(m_context->fetch<SyncedTimer>().value_or(RecordList<SyncedTimer>{})))
        timers.append({timer->uuid, timer->label, timer->total});
    setTimers(timers);

    QList<ShortcutSnapshot> shortcuts;
    for (const auto& shortcut :
         sortedByIndex(m_context->fetch<SyncedShortcut>().value_or(RecordList<SyncedShortcut>{})))
        shortcuts.append({shortcut->uuid, shortcut->shortcutName, shortcut->customName, shortcut->symbol,
                          shortcut->textInput});
    setShortcuts(shortcuts);

    refreshNote();
}

// ---- Edits

void DeskRepository::saveAndRefresh() {
    // A failed save stays in the context; the next reload tries it again.
    m_context->save();
    refresh();
}

std::shared_ptr<SyncedTodo> DeskRepository::fetchTodo(const QUuid& id) {
    const auto found = m_context->fetch<SyncedTodo>(id);
    return found && !found->isEmpty() ? found->constFirst() : nullptr;
}

void DeskRepository::addTodo(const QString& title) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty()) return;
    m_context->insert(std::make_shared<SyncedTodo>(SyncedTodo{.uuid = QUuid::createUuid(),
                                                              .title = trimmed,
                                                              .isDone = false,
                                                              .isFavorite = false,
                                                              .createdAt = now(),
                                                              .completedAt = std::nullopt,
                                                              .sortIndex = 0,
                                                              .deviceID = m_deviceID}));
    saveAndRefresh();
}

void DeskRepository::toggleTodo(const QUuid& id) {
    const auto todo = fetchTodo(id);
    if (!todo) return;
    todo->isDone = !todo->isDone;
    todo->completedAt = todo->isDone ? std::make_optional(now()) : std::nullopt;
    saveAndRefresh();
}

void DeskRepository::favoriteTodo(const QUuid& id) {
    const auto todo = fetchTodo(id);
    if (!todo) return;
    todo->isFavorite = !todo->isFavorite;
    saveAndRefresh();
}

void DeskRepository::deleteTodo(const QUuid& id) {
    const auto todo = fetchTodo(id);
    if (!todo) return;
    m_context->remove(todo);
    saveAndRefresh();
}

int DeskRepository::archiveExpired(int days, Date now) {
    const auto todos = m_context->fetch<SyncedTodo>();
    if (!todos) return 0;
    int deleted = 0;
    for (const auto& todo : *todos) {
        if (!todo->isDone || !todo->completedAt) continue;
        if (double(days) * secondsPerDay < now - *todo->completedAt) {
            m_context->remove(todo);
            ++deleted;
        }
    }
    if (deleted > 0) saveAndRefresh();
    return deleted;
}

void DeskRepository::addTimer(double total, const QString& label) {
    m_context->insert(std::make_shared<SyncedTimer>(SyncedTimer{
        .uuid = QUuid::createUuid(), .label = label, .total = total, .sortIndex = m_timers.size()}));
    saveAndRefresh();
}

template <class T> void DeskRepository::removeFirst(const QUuid& id) {
    const auto found = m_context->fetch<T>(id);
    if (!found || found->isEmpty()) return;
    m_context->remove(found->constFirst());
    saveAndRefresh();
}

void DeskRepository::removeTimer(const QUuid& id) {
    removeFirst<SyncedTimer>(id);
}

void DeskRepository::addShortcut(const QString& name, const QString& symbol) {
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

// ---- Scratch note

std::shared_ptr<SyncedNote> DeskRepository::fetchScratchNote() {
    const auto found = m_context->fetch<SyncedNote>(scratchNoteID);
    return found && !found->isEmpty() ? found->constFirst() : nullptr;
}

void DeskRepository::saveNote(const QString& text) {
    const Date time = now();
    auto note = fetchScratchNote();
    if (!note) {
        note = std::make_shared<SyncedNote>(
            SyncedNote{.uuid = scratchNoteID, .title = QStringLiteral("Notes"), .updatedAt = time});
        m_context->insert(note);
    }
    note->updatedAt = time;
    std::shared_ptr<SyncedNoteRevision> own;
    for (const auto& revision : m_context->revisions(note).value_or(RecordList<SyncedNoteRevision>{}))
        if (revision->deviceID == m_deviceID) {
            own = revision;
            break;
        }
    if (own) {
        own->text = text;
        own->editedAt = time;
    } else {
        m_context->setNote(
            std::make_shared<SyncedNoteRevision>(SyncedNoteRevision{
                .uuid = QUuid::createUuid(), .text = text, .editedAt = time, .deviceID = m_deviceID}),
            note);
    }
    setNoteText(text);
    m_context->save();
}

void DeskRepository::refreshNote() {
    const auto note = fetchScratchNote();
    auto revisions = note ? m_context->revisions(note).value_or(RecordList<SyncedNoteRevision>{})
                          : RecordList<SyncedNoteRevision>{};
    std::stable_sort(revisions.begin(), revisions.end(),
                     [](const auto& a, const auto& b) { return a->editedAt < b->editedAt; });
    std::shared_ptr<SyncedNoteRevision> own;
    std::shared_ptr<SyncedNoteRevision> newestOther;
    for (const auto& revision : revisions) {
        if (revision->deviceID == m_deviceID)
            own = revision;
        else if (!newestOther || revision->editedAt > newestOther->editedAt)
            newestOther = revision;
    }
    if (!newestOther) {
        setNoteText(own ? own->text : QString());
        setNoteHadConflict(false);
    } else if (own) {
        const QString merged = m_merger.merge(std::nullopt, own->text, newestOther->text);
        setNoteText(merged);
        setNoteHadConflict(merged.contains(NoteMerge::separator));
    } else {
        setNoteText(newestOther->text);
        setNoteHadConflict(false);
    }
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
