#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskSync/NoteMerge.h"

#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QUuid>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ClockSource;
class ModelContext;
struct SyncedTodo;

// Value copies of the stored rows, for the views; `id` is the row's uuid.
struct TodoSnapshot {
    QUuid id;
    QString title;
    bool isDone = false;
    bool isFavorite = false;
    Date createdAt;
    friend bool operator==(const TodoSnapshot&, const TodoSnapshot&) = default;
};

struct TimerSnapshot {
    QUuid id;
    QString label;
    double total = 0; // seconds
    friend bool operator==(const TimerSnapshot&, const TimerSnapshot&) = default;
};

struct ShortcutSnapshot {
    QUuid id;
    QString shortcutName;
    std::optional<QString> customName;
    QString symbol;
    std::optional<QString> textInput;
    // The custom name whenever there is one, even an empty one.
    QString displayName() const { return customName ? *customName : shortcutName; }
    friend bool operator==(const ShortcutSnapshot&, const ShortcutSnapshot&) = default;
};

// The desk's synced to-dos, timers, shortcuts and scratch note, as the views see them:
// sorted snapshots republished after every edit and every change from elsewhere. Each
// edit saves at once. Fields signal only when their value changes. Main thread only.
//
// The store may be out of reach: not opened at start (another program held it), or a
// read failing. The repository then says why (`unavailableReason()`), keeps the lists it
// last read instead of showing them empty, refuses edits it would lose, and asks for
// the store again (`setReopen`) when the Desk opens and before each edit.
//
// A save can fail too (a full disk, a lock held by another copy): the edits then stay
// in the context and in the lists, `unsavedReason()` says why (per kind of record, for
// the widget that shows it), and the next edit, the next reload, a change from elsewhere
// and saveUnsaved() (at quit) write them.
//
// Each save reads what it writes over with the write lock held, so that nothing another
// copy of the program stored while this one waited for the lock is written over. That
// copy shares this computer's name and so its note revision: when that revision changed
// since this copy last read it, the text typed here is merged with it, from what was
// shown here before, as two computers' texts are.
class DeskRepository : public QObject {
    Q_OBJECT

public:
    // The one scratch note's uuid, the same on every computer.
    static const QUuid scratchNoteID;

    // What an unsaved edit is of.
    enum class Kind { todos = 1, note = 2, timers = 4, shortcuts = 8 };

    // Reads everything, then follows the store's changes from elsewhere. `deviceID`
    // names this computer on new to-dos and on its note revision. The clock, when
    // given, must outlive the repository.
    // A null context: no store yet, for the reason given to setUnavailable().
    DeskRepository(std::shared_ptr<ModelContext> context, QString deviceID,
                   const ClockSource* clock = nullptr, QObject* parent = nullptr);
    ~DeskRepository() override;

    // Empty while the store can be read and written; else why not, for the user.
    const QString& unavailableReason() const { return m_unavailableReason; }
    bool isAvailable() const { return m_unavailableReason.isEmpty(); }
    // Empty while every edit is stored; else why the last save failed, for the user.
    const QString& unsavedReason() const { return m_unsavedReason; }
    // The same for the edits of one kind: empty while none of them waits.
    QString unsavedReason(Kind kind) const;
    // Why there is no store yet (a repository made without a context); nothing once
    // there is one.
    void setUnavailable(const QString& reason);
    // Asked for the store while there is none; it calls attach() when it has one.
    void setReopen(std::function<void()> reopen) { m_reopen = std::move(reopen); }
    // The store is there now: reads it and follows its changes.
    void attach(std::shared_ptr<ModelContext> context);
    bool hasStore() const { return m_context != nullptr; }

    // Open before done; favourites first; newest first; ties in store order.
    const QList<TodoSnapshot>& todos() const { return m_todos; }
    // By position; ties in store order.
    const QList<TimerSnapshot>& timers() const { return m_timers; }
    const QList<ShortcutSnapshot>& shortcuts() const { return m_shortcuts; }
    const QString& noteText() const { return m_noteText; }
    // The note shows two computers' texts around the merge separator.
    bool noteHadConflict() const { return m_noteHadConflict; }
    const QString& deviceID() const { return m_deviceID; }
    ModelContext& context() const { return *m_context; }

    // Re-reads the store and republishes everything.
    void refresh();
    // Puts unsaved changes (a save that failed) in the store once more, keeps them if
    // that fails too, and re-reads everything.
    void reloadFromStore();
    // Puts unsaved changes in the store; true when none are left.
    bool saveUnsaved();
    // Stops following changes from elsewhere.
    void stop();

    // ---- Edits

    // Adds an open to-do with the text trimmed; nothing for a blank text. False when it
    // was not taken because there is no store: the caller keeps the text.
    bool addTodo(const QString& title);
    void toggleTodo(const QUuid& id);
    void favoriteTodo(const QUuid& id);
    void deleteTodo(const QUuid& id);
    // Deletes the done to-dos completed more than `days` days before `now`; how many.
    int archiveExpired(int days, Date now);
    void addTimer(double total, const QString& label);
    void removeTimer(const QUuid& id);
    void addShortcut(const QString& name, const QString& symbol);
    void removeShortcut(const QUuid& id);
    // Adds the shortcuts (name, symbol) in one commit, only if the store holds none when
    // it commits (another copy of the program may have added them); true when added.
    bool addShortcutsIfNone(const QList<std::pair<QString, QString>>& entries);

    // Stores `text` as this computer's revision of the scratch note and shows it; merged
    // first with that revision's text if another copy of the program changed it since
    // this copy read it.
    void saveNote(const QString& text);

Q_SIGNALS:
    void todosChanged();
    void timersChanged();
    void shortcutsChanged();
    void noteTextChanged();
    void noteHadConflictChanged();
    // The unavailable or the unsaved reason changed.
    void availabilityChanged();

private:
    void observeRemoteChanges();
    bool ensureStore();
    template <class T> std::optional<QList<std::shared_ptr<T>>> read();
    void setUnavailableReason(const QString& reason);
    bool save(const std::function<void()>& decide = {});
    void saveAndRefresh(const std::function<void()>& decide = {});
    void setUnsaved(const QString& reason);
    void refreshNote();
    void placeWaitingNote();
    std::shared_ptr<SyncedTodo> fetchTodo(const QUuid& id);
    template <class T> void removeFirst(const QUuid& id);
    Date now() const;

    void setTodos(const QList<TodoSnapshot>& todos);
    void setTimers(const QList<TimerSnapshot>& timers);
    void setShortcuts(const QList<ShortcutSnapshot>& shortcuts);
    void setNoteText(const QString& text);
    void setNoteHadConflict(bool conflict);

    std::shared_ptr<ModelContext> m_context;
    QString m_deviceID;
    const ClockSource* m_clock;
    NoteMerge m_merger;
    QMetaObject::Connection m_remoteChangeObserver;
    std::function<void()> m_reopen;
    QString m_unavailableReason;
    QString m_unsavedReason;
    int m_unsavedKinds = 0;
    bool m_readFailed = false;

    // The note as this copy last read it from the store: this computer's revision (none
    // without one) and the text shown from it. The base of a merge.
    struct NoteSeen {
        std::optional<QString> own;
        QString shown;
    };
    // A text typed here and not stored yet.
    struct WaitingNote {
        QString text;
        Date editedAt;
        bool merged = false;
        std::optional<QString> ownOnceStored;
    };
    NoteSeen m_noteSeen;
    std::optional<WaitingNote> m_noteWaiting;

    QList<TodoSnapshot> m_todos;
    QList<TimerSnapshot> m_timers;
    QList<ShortcutSnapshot> m_shortcuts;
    QString m_noteText;
    bool m_noteHadConflict = false;
};

} // namespace vesk
