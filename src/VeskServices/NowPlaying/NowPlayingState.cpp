#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <QStringList>

#include <algorithm>

namespace vesk {

bool NowPlayingState::isEmpty() const {
    return !title && !artist && !album;
}

std::optional<double> NowPlayingState::position(Date date) const {
    if (!elapsed) return std::nullopt;
    if (!elapsedAsOf || playbackRate == 0) return elapsed;
    double position = *elapsed + playbackRate * (date - *elapsedAsOf);
    position = std::max(position, 0.0);
    if (duration) position = std::min(position, *duration);
    return position;
}

QString NowPlayingState::itemKey() const {
    if (contentItemIdentifier) return *contentItemIdentifier;
    QStringList parts;
    for (const std::optional<QString>* text : {&title, &artist, &album})
        if (*text) parts.push_back(**text);
    return parts.join(QLatin1Char('|'));
}

} // namespace vesk
