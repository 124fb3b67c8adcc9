#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/RawEnum.h"

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

template <> struct RawEnumTable<ShuffleMode> {
    static constexpr std::array<std::pair<ShuffleMode, std::string_view>, 4> entries{{
        {ShuffleMode::off, "off"},
        {ShuffleMode::items, "items"},
        {ShuffleMode::collections, "collections"},
        {ShuffleMode::unknown, "unknown"},
    }};
};
template <> struct RawEnumTable<RepeatMode> {
    static constexpr std::array<std::pair<RepeatMode, std::string_view>, 4> entries{{
        {RepeatMode::off, "off"},
        {RepeatMode::one, "one"},
        {RepeatMode::all, "all"},
        {RepeatMode::unknown, "unknown"},
    }};
};

inline std::optional<ShuffleMode> shuffleModeFromRaw(QStringView raw) {
    return fromRaw<ShuffleMode>(raw);
}
inline std::optional<RepeatMode> repeatModeFromRaw(QStringView raw) {
    return fromRaw<RepeatMode>(raw);
}
constexpr std::array<ShuffleMode, 4> allShuffleModes() {
    return allCases<ShuffleMode>();
}
constexpr std::array<RepeatMode, 4> allRepeatModes() {
    return allCases<RepeatMode>();
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
