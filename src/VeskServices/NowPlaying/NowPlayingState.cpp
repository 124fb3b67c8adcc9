#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <QStringList>

#include <algorithm>

namespace vesk {

namespace {

template <typename E, std::size_t N>
QString rawOf(const std::array<std::pair<E, std::string_view>, N>& table, E value) {
    for (const auto& [item, raw] : table)
        if (item == value) return QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    return {};
}

template <typename E, std::size_t N>
std::optional<E> caseOf(const std::array<std::pair<E, std::string_view>, N>& table, QStringView raw) {
    for (const auto& [item, text] : table)
        if (raw == QLatin1StringView(text.data(), qsizetype(text.size()))) return item;
    return std::nullopt;
}

} // namespace

QString toRaw(ShuffleMode mode) {
    return rawOf(detail::shuffleModeTable, mode);
}
QString toRaw(RepeatMode mode) {
    return rawOf(detail::repeatModeTable, mode);
}
std::optional<ShuffleMode> shuffleModeFromRaw(QStringView raw) {
    return caseOf(detail::shuffleModeTable, raw);
}
std::optional<RepeatMode> repeatModeFromRaw(QStringView raw) {
    return caseOf(detail::repeatModeTable, raw);
}

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
