#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Json.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using vesk::Date;

TEST(DateTest, ReferenceDateAndUnixEpochInTheJsonForm) {
    const auto reference = Date::fromIso8601(QStringLiteral("2001-01-01T00:00:00Z"));
    ASSERT_TRUE(reference);
    EXPECT_EQ(vesk::json::fromDate(*reference).toDouble(), 0.0);
    EXPECT_EQ(vesk::json::fromDate(Date::fromUnix(0)).toDouble(), -978307200.0);
    EXPECT_NEAR(vesk::SystemClock().now().unixTime(), QDateTime::currentSecsSinceEpoch(), 5.0);
}

TEST(DateTest, ConvertsToAndFromDateTimeAndIso8601) {
    const QDateTime when(QDate(2026, 1, 31), QTime(9, 5, 0), QTimeZone::utc());
    const Date date = Date::fromDateTime(when);
    EXPECT_EQ(date.toDateTime(), when);
    EXPECT_EQ(date.iso8601(), QStringLiteral("2026-01-31T09:05:00Z"));
    EXPECT_EQ(Date::fromIso8601(QStringLiteral("2026-01-31T10:05:00+01:00")), date);
    EXPECT_FALSE(Date::fromIso8601(QStringLiteral("yesterday")));
    EXPECT_DOUBLE_EQ(date.unixTime(), static_cast<double>(when.toSecsSinceEpoch()));
    EXPECT_DOUBLE_EQ((date + 2.5) - date, 2.5);
    EXPECT_LT(date, date + 0.001);
}
