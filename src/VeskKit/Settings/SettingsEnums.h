#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <QString>

#include <array>
#include <string_view>
#include <utility>

// The enumerations the settings store keeps, each stored as its case name.
namespace vesk {

// Which displays get a notch.
enum class ScreenPolicy { notchedOnly, primaryOnly, allScreens };

template <> struct RawEnumTable<ScreenPolicy> {
    static constexpr std::array<std::pair<ScreenPolicy, std::string_view>, 3> entries{{
        {ScreenPolicy::notchedOnly, "notchedOnly"},
        {ScreenPolicy::primaryOnly, "primaryOnly"},
        {ScreenPolicy::allScreens, "allScreens"},
    }};
};

enum class FullscreenPolicy { notchedOnly, always, never };

template <> struct RawEnumTable<FullscreenPolicy> {
    static constexpr std::array<std::pair<FullscreenPolicy, std::string_view>, 3> entries{{
        {FullscreenPolicy::notchedOnly, "notchedOnly"},
        {FullscreenPolicy::always, "always"},
        {FullscreenPolicy::never, "never"},
    }};
};

enum class AppearanceMode { system, dark, light };

template <> struct RawEnumTable<AppearanceMode> {
    static constexpr std::array<std::pair<AppearanceMode, std::string_view>, 3> entries{{
        {AppearanceMode::system, "system"},
        {AppearanceMode::dark, "dark"},
        {AppearanceMode::light, "light"},
    }};
};

// How the level bar of the sound and brightness activities is drawn.
enum class BarStyle { white, accent, glow, decibel };

template <> struct RawEnumTable<BarStyle> {
    static constexpr std::array<std::pair<BarStyle, std::string_view>, 4> entries{{
        {BarStyle::white, "white"},
        {BarStyle::accent, "accent"},
        {BarStyle::glow, "glow"},
        {BarStyle::decibel, "decibel"},
    }};
};

enum class HUDSpeed { smooth, fast, instant };

template <> struct RawEnumTable<HUDSpeed> {
    static constexpr std::array<std::pair<HUDSpeed, std::string_view>, 3> entries{{
        {HUDSpeed::smooth, "smooth"},
        {HUDSpeed::fast, "fast"},
        {HUDSpeed::instant, "instant"},
    }};
};

// What the sound activity shows at its trailing edge.
enum class SoundTrailing { symbol, device };

template <> struct RawEnumTable<SoundTrailing> {
    static constexpr std::array<std::pair<SoundTrailing, std::string_view>, 2> entries{{
        {SoundTrailing::symbol, "symbol"},
        {SoundTrailing::device, "device"},
    }};
};

// How long keep-awake lasts once turned on.
enum class KeepAwakeDurationSetting { indefinite, thirtyMinutes, oneHour, twoHours };

template <> struct RawEnumTable<KeepAwakeDurationSetting> {
    static constexpr std::array<std::pair<KeepAwakeDurationSetting, std::string_view>, 4> entries{{
        {KeepAwakeDurationSetting::indefinite, "indefinite"},
        {KeepAwakeDurationSetting::thirtyMinutes, "thirtyMinutes"},
        {KeepAwakeDurationSetting::oneHour, "oneHour"},
        {KeepAwakeDurationSetting::twoHours, "twoHours"},
    }};
};

// How the now-playing bar is coloured.
enum class MediaBarStyle { monochrome, colored, gradient };

template <> struct RawEnumTable<MediaBarStyle> {
    static constexpr std::array<std::pair<MediaBarStyle, std::string_view>, 3> entries{{
        {MediaBarStyle::monochrome, "monochrome"},
        {MediaBarStyle::colored, "colored"},
        {MediaBarStyle::gradient, "gradient"},
    }};
};

// The titles the settings window shows for each case.
QString displayName(ScreenPolicy policy);
QString displayName(BarStyle style);
QString displayName(HUDSpeed speed);
QString displayName(SoundTrailing trailing);
QString displayName(KeepAwakeDurationSetting duration);
QString displayName(MediaBarStyle style);

inline QString id(KeepAwakeDurationSetting duration) {
    return toRaw(duration);
}

} // namespace vesk
