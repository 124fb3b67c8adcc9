#pragma once

#include "VeskKit/Activity/ActivityGlyph.h"
#include "VeskKit/Activity/ActivityInteraction.h"
#include "VeskKit/Activity/ActivityKind.h"
#include "VeskKit/Activity/ActivityPriority.h"
#include "VeskKit/Activity/ActivityTrailing.h"
#include "VeskKit/Foundation/Date.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// One live activity shown in the notch. Producers make a fresh `id` per payload, so
// two payloads built separately for the same event never compare equal; replacement
// goes by `dedupeKey` instead. Build it with designated initialisers, every field given.
struct ActivityPayload {
    QUuid id;
    ActivityKind kind = ActivityKind::sound;
    ActivityPriority priority = ActivityPriority::queued;
    QString dedupeKey;
    ActivityGlyph leading;
    std::optional<QString> title;
    std::optional<QString> subtitle;
    ActivityTrailing trailing;
    double duration = 0; // seconds it stays current once presented
    std::optional<ActivityInteraction> interaction;
    Date createdAt;

    friend bool operator==(const ActivityPayload&, const ActivityPayload&) = default;
};

} // namespace vesk
