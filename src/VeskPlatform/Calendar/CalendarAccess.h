#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The program's access to the user's calendar events.
enum class CalendarAccess { granted, notDetermined, writeOnly, denied, restricted };

template <> struct RawEnumTable<CalendarAccess> {
    static constexpr std::array<std::pair<CalendarAccess, std::string_view>, 5> entries{{
        {CalendarAccess::granted, "granted"},
        {CalendarAccess::notDetermined, "notDetermined"},
        {CalendarAccess::writeOnly, "writeOnly"},
        {CalendarAccess::denied, "denied"},
        {CalendarAccess::restricted, "restricted"},
    }};
};

} // namespace vesk
