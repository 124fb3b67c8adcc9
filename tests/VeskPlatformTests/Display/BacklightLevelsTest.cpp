#include "VeskPlatform/Display/BacklightLevels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using vesk::rawForLevel;
using vesk::validLevel;

namespace {

struct Case {
    const char* what;
    double level;
    std::optional<int> current;
    int max;
    int expected;
};

// Key steps are 1/16 (fine: 1/64) of the range, applied to the level read back.
const Case cases[] = {
    {"keyboard with 3 levels, one step up from 1", 1.0 / 3 + 0.0625, 1, 3, 2},
    {"keyboard with 3 levels, one step down from 1", 1.0 / 3 - 0.0625, 1, 3, 0},
    {"keyboard with 3 levels, fine step up still moves", 1.0 / 3 + 0.015625, 1, 3, 2},
    {"keyboard with 2 levels, step up from 0", 0.0625, 0, 2, 1},
    {"keyboard with 2 levels, step down from 2", 1 - 0.0625, 2, 2, 1},
    {"up at the top stays at the top", 1.0625, 3, 3, 3},
    {"down at the bottom stays at the bottom", -0.0625, 0, 3, 0},
    {"panel with 7 levels, step up from 3", 3.0 / 7 + 0.0625, 3, 7, 4},
    {"panel with 255 levels, step up lands above the exact value", 128.0 / 255 + 0.0625, 128, 255, 144},
    {"panel with 255 levels, step down lands below the exact value", 128.0 / 255 - 0.0625, 128, 255, 112},
    {"a request equal to the current value stays", 2.0 / 3, 2, 3, 2},
    {"35 % as read from 90 of 255 stays", 90.0 / 255, 90, 255, 90},
    {"67 % as read from 670 of 1000 stays", 0.67, 670, 1000, 670},
    {"0 % as read from 1 of 255, step down reaches 0", 1.0 / 255 - 0.0625, 1, 255, 0},
    {"100 % as read from 254 of 255, step up reaches 255", 254.0 / 255 + 0.0625, 254, 255, 255},
    {"0 % as read from 1 of 1000, fine step down reaches 0", 0.001 - 0.015625, 1, 1000, 0},
    {"100 % as read from 999 of 1000, step up reaches 1000", 0.999 + 0.0625, 999, 1000, 1000},
    {"no current value rounds to nearest", 0.55, std::nullopt, 10, 6},
    {"not a number reads as 0", std::nan(""), 2, 3, 0},
    {"above 1 is clamped", 7.0, std::nullopt, 15, 15},
    {"no range gives 0", 0.5, 0, 0, 0},
};

} // namespace

TEST(BacklightLevelsTest, RoundsAwayFromTheCurrentRawValue) {
    for (const Case& c : cases)
        EXPECT_EQ(rawForLevel(c.level, c.current, c.max), c.expected) << c.what;
}

TEST(BacklightLevelsTest, AcceptsOnlyFiniteFractionsAndMovesAboveFourThousandths) {
    for (double level : {0.0, 0.25, 1.0})
        EXPECT_EQ(validLevel(level), level);
    for (std::optional<double> level : {std::optional(1.0000001), std::optional(-0.0001),
                                        std::optional(std::numeric_limits<double>::infinity()),
                                        std::optional(std::nan("")), std::optional<double>()})
        EXPECT_FALSE(validLevel(level)) << level.value_or(-99);

    for (double level : {0.503, 0.504, 0.496})
        EXPECT_FALSE(vesk::movedEnough(level, 0.5)) << level;
    EXPECT_TRUE(vesk::movedEnough(0.505, 0.5));
    EXPECT_TRUE(vesk::movedEnough(0.0, -1));
    EXPECT_TRUE(vesk::movedEnough(0.5, 0.5 + 0.015625));
    // One unit of 255 crosses from 49 % to 50 %; one within 50 % does not move it.
    EXPECT_TRUE(vesk::movedEnough(127.0 / 255, 126.0 / 255));
    EXPECT_FALSE(vesk::movedEnough(128.0 / 255, 127.0 / 255));
}
