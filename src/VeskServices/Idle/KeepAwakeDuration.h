#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

// How long keep-awake lasts once turned on.
enum class KeepAwakeDuration { indefinite, thirtyMinutes, oneHour, twoHours };

template <> struct RawEnumTable<KeepAwakeDuration> {
    static constexpr std::array<std::pair<KeepAwakeDuration, std::string_view>, 4> entries{{
        {KeepAwakeDuration::indefinite, "indefinite"},
        {KeepAwakeDuration::thirtyMinutes, "thirtyMinutes"},
        {KeepAwakeDuration::oneHour, "oneHour"},
        {KeepAwakeDuration::twoHours, "twoHours"},
    }};
};

// Seconds it lasts; nothing for indefinite.
constexpr std::optional<double> seconds(KeepAwakeDuration duration) {
    switch (duration) {
    case KeepAwakeDuration::indefinite:
        return std::nullopt;
    case KeepAwakeDuration::thirtyMinutes:
        return 1800.0;
    case KeepAwakeDuration::oneHour:
        return 3600.0;
    case KeepAwakeDuration::twoHours:
        return 7200.0;
    }
    return std::nullopt;
}

} // namespace vesk
