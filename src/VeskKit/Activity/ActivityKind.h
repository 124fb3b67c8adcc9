#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <QString>

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// What an activity is about. Stored and compared by its case name.
enum class ActivityKind {
    sound,
    display,
    keyboardBacklight,
    nowPlaying,
    battery,
    connectivity,
    focus,
    calendar,
    fileTray,
    timerEnded,
    update,
    download,
    screenshot,
    weather,
    idleLock,
};

template <> struct RawEnumTable<ActivityKind> {
    static constexpr std::array<std::pair<ActivityKind, std::string_view>, 15> entries{{
        {ActivityKind::sound, "sound"},
        {ActivityKind::display, "display"},
        {ActivityKind::keyboardBacklight, "keyboardBacklight"},
        {ActivityKind::nowPlaying, "nowPlaying"},
        {ActivityKind::battery, "battery"},
        {ActivityKind::connectivity, "connectivity"},
        {ActivityKind::focus, "focus"},
        {ActivityKind::calendar, "calendar"},
        {ActivityKind::fileTray, "fileTray"},
        {ActivityKind::timerEnded, "timerEnded"},
        {ActivityKind::update, "update"},
        {ActivityKind::download, "download"},
        {ActivityKind::screenshot, "screenshot"},
        {ActivityKind::weather, "weather"},
        {ActivityKind::idleLock, "idleLock"},
    }};
};

QString displayName(ActivityKind kind);
// The system symbol name drawn for the kind.
QString symbol(ActivityKind kind);

} // namespace vesk
