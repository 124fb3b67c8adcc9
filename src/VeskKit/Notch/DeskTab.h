#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// The tab the open notch shows.
enum class DeskTab { desk, tray };

template <> struct RawEnumTable<DeskTab> {
    static constexpr std::array<std::pair<DeskTab, std::string_view>, 2> entries{{
        {DeskTab::desk, "desk"},
        {DeskTab::tray, "tray"},
    }};
};

} // namespace vesk
