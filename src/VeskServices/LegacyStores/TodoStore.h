#pragma once

#include "VeskServices/LegacyStores/TodoItem.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

namespace vesk {

class ClockSource;

// The older to-do list: a JSON array of TodoItem in one file of a container folder,
// newest additions first. The program itself keeps to-dos in the synced store; this
// fixes the file's format for the one-time import. One thread.
class TodoStore {
public:
    // Reads the file and archives what expired. An unreadable file is kept aside and the
    // items that decode are kept. `clock` tells "now" (system clock when null).
    TodoStore(const QString& containerName, const QString& fileName, const ClockSource* clock = nullptr);

    const QList<TodoItem>& items() const { return m_items; }
    const QString& url() const { return m_url; }
    // Not done before done, then favourites first, then newest first; stable.
    QList<TodoItem> sorted() const;

    std::function<void(const QList<TodoItem>&)> onChange;
    int autoArchiveAfterDays = 1;

    // Nothing when the title is blank.
    std::optional<TodoItem> add(const QString& title);
    void toggleDone(const TodoItem& item, Date now);
    void toggleFavorite(const TodoItem& item);
    void remove(const TodoItem& item);
    // Removes done items completed more than autoArchiveAfterDays days before `now`.
    int archiveExpired(Date now);

private:
    Date now() const;
    void save();

    const ClockSource* m_clock;
    QString m_url;
    QList<TodoItem> m_items;
};

} // namespace vesk
