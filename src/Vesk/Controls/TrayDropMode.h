#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// What happens to the original when a file is dropped or dragged: kept (copy) or
// removed (move). The File Tray pane maps it onto its two Boolean settings.
enum class TrayDropMode { copy, move };

template <> struct RawEnumTable<TrayDropMode> {
    static constexpr std::array<std::pair<TrayDropMode, std::string_view>, 2> entries{{
        {TrayDropMode::copy, "copy"},
        {TrayDropMode::move, "move"},
    }};
};

} // namespace vesk
