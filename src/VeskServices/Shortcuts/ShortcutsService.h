#pragma once

#include "VeskKit/Foundation/JsonListFile.h"
#include "VeskKit/Foundation/WaitingWrite.h"
#include "VeskServices/Shortcuts/ShortcutEntry.h"

#include <QList>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

namespace vesk {

class ShortcutScripts;

// The user's shortcuts for the desk: lists and runs them through the shortcuts layer
// (the user's scripts on Linux) and keeps a chosen list in "shortcuts.json". Main
// thread only.
class ShortcutsService {
public:
    struct Environment {
        // The shortcuts; the user's script folder when null. Not owned.
        ShortcutScripts* scripts = nullptr;
    };

    // Keeps its file in the folder `containerName` of the user's data folder ("Vesk" is
    // the application-support folder), made here if missing.
    explicit ShortcutsService(const QString& containerName);
    ShortcutsService(const QString& containerName, Environment environment);
    ~ShortcutsService();
    ShortcutsService(const ShortcutsService&) = delete;
    ShortcutsService& operator=(const ShortcutsService&) = delete;

    const QList<ShortcutEntry>& chosen() const { return m_chosen; }
    // Called with the new list after every save.
    void setOnChange(std::function<void(const QList<ShortcutEntry>&)> handler) {
        m_onChange = std::move(handler);
    }
    // The file "shortcuts.json".
    const QString& url() const { return m_file.path(); }
    // Writes the list when its last write failed; true when nothing waits any more.
    bool writeWaiting() { return m_write.writeIfWaiting(); }

    bool canList() const;
    // The shortcuts' names sorted as the user's locale orders them without regard to
    // case (duplicates kept), handed to `done` on the main thread while `context` lives.
    void available(QObject* context, std::function<void(QStringList)> done) const;
    // Runs the entry's shortcut by its `shortcutName`, with its text input when it has one.
    void run(const ShortcutEntry& entry);

    // Appends unless an entry of the same shortcut name is chosen already.
    void add(const ShortcutEntry& entry);
    // Removes every entry with the entry's id.
    void remove(const ShortcutEntry& entry);
    // Replaces the first entry with the entry's id; nothing when there is none.
    void update(const ShortcutEntry& entry);

private:
    void save();

    std::unique_ptr<ShortcutScripts> m_ownScripts;
    ShortcutScripts* m_scripts = nullptr;
    JsonListFile m_file;
    QList<ShortcutEntry> m_chosen;
    // A list the disk cannot take waits for the next change or the ending.
    WaitingWrite m_write;
    std::function<void(const QList<ShortcutEntry>&)> m_onChange;
};

} // namespace vesk
