#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

struct BrightnessState {
    enum class Source { displayServices, ioKit, unavailable };

    double level = 0;
    bool isAvailable = false;
    Source source = Source::unavailable;

    friend bool operator==(const BrightnessState&, const BrightnessState&) = default;
};

template <> struct RawEnumTable<BrightnessState::Source> {
    static constexpr std::array<std::pair<BrightnessState::Source, std::string_view>, 3> entries{{
        {BrightnessState::Source::displayServices, "displayServices"},
        {BrightnessState::Source::ioKit, "ioKit"},
        {BrightnessState::Source::unavailable, "unavailable"},
    }};
};

inline std::optional<BrightnessState::Source> brightnessSourceFromRaw(QStringView raw) {
    return fromRaw<BrightnessState::Source>(raw);
}

inline constexpr std::array<BrightnessState::Source, 3> allBrightnessSources =
    allCases<BrightnessState::Source>();

} // namespace vesk
