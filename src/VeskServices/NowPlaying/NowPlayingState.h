#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

enum class ShuffleMode { off, items, collections, unknown };
enum class RepeatMode { off, one, all, unknown };

namespace detail {
inline constexpr std::array<std::pair<ShuffleMode, std::string_view>, 4> shuffleModeTable{{
    {ShuffleMode::off, "off"},
    {ShuffleMode::items, "items"},
    {ShuffleMode::collections, "collections"},
    {ShuffleMode::unknown, "unknown"},
}};
inline constexpr std::array<std::pair<RepeatMode, std::string_view>, 4> repeatModeTable{{
    {RepeatMode::off, "off"},
    {RepeatMode::one, "one"},
    {RepeatMode::all, "all"},
    {RepeatMode::unknown, "unknown"},
}};
} // namespace detail

QString toRaw(ShuffleMode mode);
QString toRaw(RepeatMode mode);
// Exactly the raw values, compared case-sensitively; anything else is nothing.
std::optional<ShuffleMode> shuffleModeFromRaw(QStringView raw);
std::optional<RepeatMode> repeatModeFromRaw(QStringView raw);
constexpr std::array<ShuffleMode, 4> allShuffleModes() {
    return {ShuffleMode::off, ShuffleMode::items, ShuffleMode::collections, ShuffleMode::unknown};
}
constexpr std::array<RepeatMode, 4> allRepeatModes() {
    return {RepeatMode::off, RepeatMode::one, RepeatMode::all, RepeatMode::unknown};
}

// What the system is playing, as one snapshot.
struct NowPlayingState {
    bool isPlaying = false;
    std::optional<QString> title;
    std::optional<QString> artist;
    std::optional<QString> album;
    std::optional<QString> genre;
    std::optional<QString> composer;
    // Seconds.
    std::optional<double> duration;
    // Elapsed seconds as they were at `elapsedAsOf`.
    std::optional<double> elapsed;
    std::optional<Date> elapsedAsOf;
    // 1.0 is normal speed, 0 stopped.
    double playbackRate = 0;
    // The player's desktop entry.
    std::optional<QString> bundleIdentifier;
    bool isMusicApp = false;
    std::optional<QString> mediaType;
    std::optional<qint64> trackNumber;
    std::optional<qint64> queueIndex;
    std::optional<qint64> totalQueueCount;
    std::optional<ShuffleMode> shuffle;
    std::optional<RepeatMode> repeatMode;
    std::optional<QString> contentItemIdentifier;
    std::optional<QString> artworkMimeType;
    // Encoded image bytes.
    std::optional<QByteArray> artwork;

    // True when there is no title, artist or album.
    bool isEmpty() const;
    // The playback position in seconds at `date`, moved on from `elapsed` at the
    // playback rate, kept within 0 and the duration.
    std::optional<double> position(Date date) const;
    // Identity of the current item: the content item identifier, else the texts.
    QString itemKey() const;

    friend bool operator==(const NowPlayingState&, const NowPlayingState&) = default;
};

} // namespace vesk
