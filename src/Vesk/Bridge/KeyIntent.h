#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QHash>
#include <QString>

#include <mutex>
#include <optional>

namespace vesk {

// When the brightness and illumination keys were last pressed, so that only level
// changes made with the keys show a pill. Shared between the media-key handler and the
// level tasks; every access holds the lock.
class KeyIntent {
public:
    static inline const QString brightness = QStringLiteral("brightness");
    static inline const QString illumination = QStringLiteral("illumination");
    // How long after a key press a level change still counts as the key's doing.
    static constexpr double window = 1.2;

    // Overwrites the family's stamp; stamps are never removed.
    void stamp(const QString& family, Date at) {
        std::lock_guard lock(m_lock);
        m_stamps.insert(family, at);
    }
    std::optional<Date> stampOf(const QString& family) const {
        std::lock_guard lock(m_lock);
        const auto found = m_stamps.constFind(family);
        if (found == m_stamps.constEnd()) return std::nullopt;
        return *found;
    }
    // A key of the family was pressed less than `window` before `now`.
    bool isRecent(const QString& family, Date now) const {
        const std::optional<Date> stamp = stampOf(family);
        return stamp && now - *stamp < window;
    }

private:
    mutable std::mutex m_lock;
    QHash<QString, Date> m_stamps;
};

} // namespace vesk
