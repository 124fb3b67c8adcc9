#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// One to-do of the older file-based list ("todos.json").
struct TodoItem {
    QUuid id;
    QString title;
    bool isDone = false;
    bool isFavorite = false;
    Date createdAt;
    // Set while done (when marked done through the store).
    std::optional<Date> completedAt;

    QJsonObject toJson() const;
    // Nothing when a required key is missing or of the wrong form.
    static std::optional<TodoItem> fromJson(const QJsonObject& object);

    friend bool operator==(const TodoItem&, const TodoItem&) = default;
};

} // namespace vesk
