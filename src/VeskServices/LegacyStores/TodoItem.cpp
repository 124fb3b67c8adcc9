#include "VeskServices/LegacyStores/TodoItem.h"

#include "VeskKit/Foundation/Json.h"

namespace vesk {

QJsonObject TodoItem::toJson() const {
    QJsonObject o;
    o.insert(QStringLiteral("id"), json::fromUuid(id));
    o.insert(QStringLiteral("title"), title);
    o.insert(QStringLiteral("isDone"), isDone);
    o.insert(QStringLiteral("isFavorite"), isFavorite);
    o.insert(QStringLiteral("createdAt"), json::fromDate(createdAt));
    json::insertOptional(o, QStringLiteral("completedAt"), completedAt, json::fromDate);
    return o;
}

std::optional<TodoItem> TodoItem::fromJson(const QJsonObject& object) {
    json::Reader r(object, QStringLiteral("to-do"));
    TodoItem item;
    item.id = r.uuid(QStringLiteral("id"));
    item.title = r.string(QStringLiteral("title"));
    item.isDone = r.boolean(QStringLiteral("isDone"));
    item.isFavorite = r.boolean(QStringLiteral("isFavorite"));
    item.createdAt = r.date(QStringLiteral("createdAt"));
    item.completedAt = r.optionalDate(QStringLiteral("completedAt"));
    if (!r.ok()) return std::nullopt;
    return item;
}

} // namespace vesk
