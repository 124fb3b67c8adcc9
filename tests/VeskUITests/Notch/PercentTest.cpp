#include "VeskUI/Notch/Percent.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using vesk::percentText;
using vesk::percentValue;

TEST(PercentTest, LevelsReadAsTheirNearestWholePercent) {
    const std::vector<std::pair<double, const char*>> table{
        {0, "0%"},       {0.29, "29%"},       {0.5, "50%"},   {0.57, "57%"},
        {0.999, "100%"}, {1, "100%"},         {0.58, "58%"},  {0.07, "7%"},
        {0.0049, "0%"},  {0.9999999, "100%"}, {1.5, "150%"},  {-0.29, "-29%"},
        {-0.004, "0%"},  {0.1875, "19%"},     {0.285, "29%"}, {0.994, "99%"},
    };
    for (const auto& [level, text] : table)
        EXPECT_EQ(percentText(level), QLatin1String(text)) << level;
}

TEST(PercentTest, EveryHundredthReadsAsItself) {
    // Binary doubles for k / 100 are often just below k / 100; none may lose a point.
    for (int k = 0; k <= 100; ++k) {
        EXPECT_EQ(percentValue(k / 100.0), k) << k;
        EXPECT_EQ(percentValue(k * 0.01), k) << k;
    }
}

TEST(PercentTest, LevelsThatAreNotNumbersReadZero) {
    EXPECT_EQ(percentText(std::nan("")), QStringLiteral("0%"));
    EXPECT_EQ(percentText(std::numeric_limits<double>::infinity()), QStringLiteral("0%"));
    EXPECT_EQ(percentText(-std::numeric_limits<double>::infinity()), QStringLiteral("0%"));
    EXPECT_EQ(percentValue(1e300), 0);
}
