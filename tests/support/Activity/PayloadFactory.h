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

// A payload as the views draw it: its glyph, texts and trailing element.
inline ActivityPayload shownPayload(ActivityGlyph leading, std::optional<QString> title,
                                    std::optional<QString> subtitle, ActivityTrailing trailing,
                                    ActivityKind kind = ActivityKind::sound,
                                    ActivityPriority priority = ActivityPriority::interrupt) {
    ActivityPayload payload = makePayload(toRaw(kind), priority, 2, kind);
    payload.leading = std::move(leading);
    payload.title = std::move(title);
    payload.subtitle = std::move(subtitle);
    payload.trailing = std::move(trailing);
    return payload;
}

} // namespace vesk::test
