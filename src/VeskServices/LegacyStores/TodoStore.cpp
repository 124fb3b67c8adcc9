#include "VeskServices/LegacyStores/TodoStore.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Storage/ContainerFolder.h"
#include "VeskServices/Storage/JsonListFile.h"

#include <QFileInfo>

#include <algorithm>

namespace vesk {

TodoStore::TodoStore(const QString& containerName, const QString& fileName, const ClockSource* clock)
    : m_clock(clock), m_url(storage::containerFolder(containerName) + QLatin1Char('/') + fileName) {
    json_list::Loaded<TodoItem> loaded = json_list::read<TodoItem>(m_url, &TodoItem::fromJson);
    // Saving over a file we could not wholly read would lose the rest of it.
    if (loaded.damaged) {
        const std::optional<QString> aside = files::keepAside(m_url);
        TraceLog::trace(QStringLiteral("todos: unreadable file kept aside as ") +
                        aside.value_or(QStringLiteral("(failed)")));
    }
    m_items = std::move(loaded.items);
    // What survived goes back under the file's name, so the next reader finds it.
    if (loaded.damaged && !m_items.isEmpty()) save();
    archiveExpired(now());
}

Date TodoStore::now() const {
    return m_clock ? m_clock->now() : Date::now();
}

QList<TodoItem> TodoStore::sorted() const {
    QList<TodoItem> result = m_items;
    std::stable_sort(result.begin(), result.end(), [](const TodoItem& a, const TodoItem& b) {
        if (a.isDone != b.isDone) return !a.isDone;
        if (a.isFavorite != b.isFavorite) return a.isFavorite;
        return a.createdAt > b.createdAt;
    });
    return result;
}

std::optional<TodoItem> TodoStore::add(const QString& title) {
    const QString trimmed = title.trimmed();
    if (trimmed.isEmpty()) return std::nullopt;
    TodoItem item{
        .id = QUuid::createUuid(), .title = trimmed, .createdAt = now(), .completedAt = std::nullopt};
    m_items.prepend(item);
    save();
    return item;
}

void TodoStore::toggleDone(const TodoItem& item, Date now) {
    const auto found =
        std::find_if(m_items.begin(), m_items.end(), [&](const TodoItem& t) { return t.id == item.id; });
    if (found == m_items.end()) return;
    found->isDone = !found->isDone;
    if (found->isDone)
        found->completedAt = now;
    else
        found->completedAt.reset();
    save();
}

void TodoStore::toggleFavorite(const TodoItem& item) {
    const auto found =
        std::find_if(m_items.begin(), m_items.end(), [&](const TodoItem& t) { return t.id == item.id; });
    if (found == m_items.end()) return;
    found->isFavorite = !found->isFavorite;
    save();
}

void TodoStore::remove(const TodoItem& item) {
    m_items.removeIf([&](const TodoItem& t) { return t.id == item.id; });
    save();
}

int TodoStore::archiveExpired(Date now) {
    const double limit = double(autoArchiveAfterDays) * 86400;
    const qsizetype removed = m_items.removeIf(
        [&](const TodoItem& t) { return t.isDone && t.completedAt && now - *t.completedAt > limit; });
    if (removed > 0) save();
    return int(removed);
}

void TodoStore::save() {
    // A failed write leaves the older file whole and the items in memory.
    QString error;
    if (!files::writeAtomically(
            m_url, json_list::encode(m_items, [](const TodoItem& t) { return t.toJson(); }), &error))
        TraceLog::trace(QFileInfo(m_url).fileName() + QStringLiteral(" not saved: ") + error);
    if (onChange) onChange(m_items);
}

} // namespace vesk
