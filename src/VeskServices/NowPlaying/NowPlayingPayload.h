#pragma once

#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <QJsonObject>

namespace vesk {

// Merges one payload object of the adapter's JSON lines into `state`. Per key: absent
// keeps the field, the expected JSON type sets it, null or another type clears it
// (with the exceptions of playbackRate, playing, isMusicApp and artworkData).
// "elapsedTime", whenever present, stamps `elapsedAsOf` with `now`.
void mergeNowPlayingPayload(NowPlayingState& state, const QJsonObject& payload, Date now);

} // namespace vesk
