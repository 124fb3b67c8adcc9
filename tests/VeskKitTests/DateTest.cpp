#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Json.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using vesk::Date;

TEST(DateTest, ReferenceDateAndUnixEpochInTheJsonForm) {
    const auto reference = Date::fromIso8601(QStringLiteral("2001-01-01T00:00:00Z"));
    ASSERT_TRUE(reference);
    EXPECT_EQ(vesk::json::fromDate(*reference).toDouble(), 0.0);
    EXPECT_EQ(vesk::json::fromDate(Date::fromUnix(0)).toDouble(), -978307200.0);
}

TEST(DateTest, ConvertsToAndFromDateTimeAndIso8601) {
    const QDateTime when(QDate(2026, 1, 31), QTime(9, 5, 0), QTimeZone::utc());
    const Date date = Date::fromDateTime(when);
    EXPECT_EQ(date.toDateTime(), when);
    EXPECT_EQ(date.iso8601(), QStringLiteral("2026-01-31T09:05:00Z"));
    EXPECT_EQ(Date::fromIso8601(QStringLiteral("2026-01-31T10:05:00+01:00")), date);
    EXPECT_FALSE(Date::fromIso8601(QStringLiteral("yesterday")));
    EXPECT_DOUBLE_EQ(date.unixTime(), static_cast<double>(when.toSecsSinceEpoch()));
}

TEST(DateTest, ArithmeticAndOrdering) {
    const Date a{100.0};
    const Date b = a + 2.5;
    EXPECT_DOUBLE_EQ(b - a, 2.5);
    EXPECT_LT(a, b);
    EXPECT_EQ(b - 2.5, a);
    Date c = a;
    c += 1;
    EXPECT_EQ(c, Date{101.0});
}

TEST(DateTest, SystemClockNeverGoesBackwardsBetweenReads) {
    vesk::SystemClock clock;
    const Date first = clock.now();
    const Date second = clock.now();
    EXPECT_LE(first, second);
    EXPECT_NEAR(first.unixTime(), QDateTime::currentSecsSinceEpoch(), 5.0);
}
