#pragma once

#include "VeskKit/Activity/ActivityPayload.h"

namespace vesk::test {

// A payload with a fresh id; only what the scheduling rules look at is given.
inline ActivityPayload makePayload(const QString& dedupeKey, ActivityPriority priority, double duration,
                                   ActivityKind kind = ActivityKind::sound) {
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = kind,
        .priority = priority,
        .dedupeKey = dedupeKey,
        .leading = ActivityGlyph::symbol(symbol(kind)),
        .title = dedupeKey,
        .subtitle = std::nullopt,
        .trailing = ActivityTrailing::none(),
        .duration = duration,
        .interaction = std::nullopt,
        .createdAt = Date{0},
    };
}

} // namespace vesk::test
