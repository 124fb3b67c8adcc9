#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

#include <array>
#include <optional>

namespace vesk {

// The media keys, with their auxiliary key codes as raw values.
enum class MediaKey : qint32 {
    soundUp = 0,
    soundDown = 1,
    brightnessUp = 2,
    brightnessDown = 3,
    mute = 7,
    play = 16,
    next = 17,
    previous = 18,
    fast = 19,
    rewind = 20,
    illuminationUp = 21,
    illuminationDown = 22,
};

namespace media_key_detail {
struct Entry {
    MediaKey key;
    const char* name;
};
inline constexpr std::array<Entry, 12> table{{
    {MediaKey::soundUp, "soundUp"},
    {MediaKey::soundDown, "soundDown"},
    {MediaKey::brightnessUp, "brightnessUp"},
    {MediaKey::brightnessDown, "brightnessDown"},
    {MediaKey::mute, "mute"},
    {MediaKey::play, "play"},
    {MediaKey::next, "next"},
    {MediaKey::previous, "previous"},
    {MediaKey::fast, "fast"},
    {MediaKey::rewind, "rewind"},
    {MediaKey::illuminationUp, "illuminationUp"},
    {MediaKey::illuminationDown, "illuminationDown"},
}};
} // namespace media_key_detail

inline constexpr std::array<MediaKey, 12> allMediaKeys = [] {
    std::array<MediaKey, 12> keys{};
    for (size_t i = 0; i < keys.size(); ++i)
        keys[i] = media_key_detail::table[i].key;
    return keys;
}();

constexpr qint32 toRaw(MediaKey key) {
    return static_cast<qint32>(key);
}

constexpr std::optional<MediaKey> mediaKeyFromRaw(qint64 code) {
    for (const auto& entry : media_key_detail::table)
        if (static_cast<qint64>(entry.key) == code) return entry.key;
    return std::nullopt;
}

// The case name, as trace lines show it.
inline QString caseName(MediaKey key) {
    for (const auto& entry : media_key_detail::table)
        if (entry.key == key) return QString::fromLatin1(entry.name);
    return {};
}

constexpr bool isVolume(MediaKey key) {
    return key == MediaKey::soundUp || key == MediaKey::soundDown || key == MediaKey::mute;
}
constexpr bool isBrightness(MediaKey key) {
    return key == MediaKey::brightnessUp || key == MediaKey::brightnessDown;
}
constexpr bool isIllumination(MediaKey key) {
    return key == MediaKey::illuminationUp || key == MediaKey::illuminationDown;
}
constexpr bool isTransport(MediaKey key) {
    return key == MediaKey::play || key == MediaKey::next || key == MediaKey::previous ||
           key == MediaKey::fast || key == MediaKey::rewind;
}

inline size_t qHash(MediaKey key, size_t seed = 0) noexcept {
    return ::qHash(toRaw(key), seed);
}

struct MediaKeyEvent {
    MediaKey key = MediaKey::soundUp;
    bool isDown = false;
    bool isRepeat = false;
    // Shift and Alt (the Option key) were both held.
    bool isFineAdjust = false;

    friend bool operator==(const MediaKeyEvent&, const MediaKeyEvent&) = default;
};

} // namespace vesk
