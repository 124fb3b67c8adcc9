#pragma once

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

    friend bool operator==(const QuickApp&, const QuickApp&) = default;
};

} // namespace vesk
