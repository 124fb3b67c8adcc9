#pragma once

#include "VeskKit/Foundation/RawEnum.h"

#include <array>
#include <string_view>
#include <utility>

namespace vesk {

// A named tint of a leading symbol; the colours behind the names are design tokens.
enum class TintName { brass, sage, amber, oxblood, slate, stone };

template <> struct RawEnumTable<TintName> {
    static constexpr std::array<std::pair<TintName, std::string_view>, 6> entries{{
        {TintName::brass, "brass"},
        {TintName::sage, "sage"},
        {TintName::amber, "amber"},
        {TintName::oxblood, "oxblood"},
        {TintName::slate, "slate"},
        {TintName::stone, "stone"},
    }};
};

} // namespace vesk
