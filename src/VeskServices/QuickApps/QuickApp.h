#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// One pinned application of the desk's Quick Apps, identified by `id`.
struct QuickApp {
    QUuid id;
    // The desktop entry's id; at most one pinned app per id.
    QString bundleID;
    QString name;
    // Where the application was when it was described.
    std::optional<QString> path;

    // The stored form: keys named as the fields, "path" left out when absent.
    QJsonObject toJson() const;
    // Needs "id", "bundleID" and "name".
    static std::optional<QuickApp> fromJson(const QJsonObject& object, QString* error = nullptr);

    friend bool operator==(const QuickApp&, const QuickApp&) = default;
};

} // namespace vesk
