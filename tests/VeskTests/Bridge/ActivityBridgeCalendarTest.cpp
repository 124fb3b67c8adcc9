#include "BridgeHarness.h"

#include <gtest/gtest.h>

#include <limits>

namespace vesk::test {
namespace {

CalendarStoreEvent occurrence(const QString& rid, Date start) {
    CalendarStoreEvent event = storeEvent(QStringLiteral("standup"), start);
    event.recurrenceId = rid;
    event.title = QStringLiteral("Standup");
    return event;
}

TEST(ActivityBridgeCalendarTest, EachOccurrenceIsAnnouncedOnceWithItsMinutes) {
    BridgeHarness h;
    h.settings.setCalendarLeadMinutes(10);
    const Date now = h.scheduler.now();
    h.calendar.state->events = {occurrence(QStringLiteral("day1"), now + 59),
                                storeEvent(QStringLiteral("review"), now + 390)};
    h.start();
    QList<ActivityPayload> pills = h.takePresented();
    ASSERT_EQ(pills.size(), 1);
    EXPECT_EQ(pills[0].dedupeKey, QStringLiteral("calendar-work:standup:day1"));
    EXPECT_EQ(pills[0].title, QStringLiteral("Standup"));
    EXPECT_EQ(pills[0].subtitle, QStringLiteral("Starting now"));

    h.bridge->checkUpcomingEvent();
    EXPECT_TRUE(h.takePresented().isEmpty()) << "announced once";

    h.coordinator.dismissCurrent();
    h.run(60);
    h.bridge->checkUpcomingEvent();
    pills = h.takePresented();
    ASSERT_EQ(pills.size(), 1);
    EXPECT_EQ(pills[0].dedupeKey, QStringLiteral("calendar-work:review"));
    EXPECT_EQ(pills[0].subtitle, QStringLiteral("in 5 min"));

    // The next day's occurrence is an event of its own.
    h.coordinator.dismissCurrent();
    h.run(86400 - 120);
    h.calendar.state->events = {occurrence(QStringLiteral("day2"), h.scheduler.now() + 200)};
    h.bridge->calendar().refresh(false);
    h.run();
    h.bridge->checkUpcomingEvent();
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("calendar-work:standup:day2")});
    EXPECT_EQ(h.bridge->announcedEvents().size(), 3);
}

// "Refresh now" announces what the refresh found, not what was known before it.
TEST(ActivityBridgeCalendarTest, RefreshNowAnnouncesAnEventTheRefreshFound) {
    BridgeHarness h;
    h.settings.setCalendarLeadMinutes(10);
    h.start();
    ASSERT_TRUE(h.takePresented().isEmpty());
    h.calendar.state->events = {storeEvent(QStringLiteral("review"), h.scheduler.now() + 300)};
    h.bridge->refreshCalendar();
    EXPECT_TRUE(h.takePresented().isEmpty()) << "checked before the read answered";
    h.run();
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("calendar-work:review")});
}

TEST(ActivityBridgeCalendarTest, NothingIsAnnouncedWithoutAccess) {
    BridgeHarness h;
    h.calendar.state->access = CalendarAccess::restricted;
    h.calendar.state->events = {occurrence(QStringLiteral("day1"), h.scheduler.now() + 59)};
    h.start();
    h.bridge->checkUpcomingEvent();
    EXPECT_TRUE(h.takePresented().isEmpty());
    EXPECT_EQ(h.bridge->calendar().access(), CalendarAccess::restricted);
}

TEST(ActivityBridgeCalendarTest, DayCountsAreTruncatedAndHeldToTheirRanges) {
    struct Case {
        double stored;
        int behind, ahead;
    };
    const Case cases[] = {
        {2.9, 2, 2}, {std::numeric_limits<double>::quiet_NaN(), 7, 7}, {1e300, 30, 30},
        {-5, 0, 1},  {-std::numeric_limits<double>::infinity(), 0, 1},
    };
    BridgeHarness h;
    for (const Case& c : cases) {
        // Written past the store's clamp, as a hand-edited file would hold them.
        h.defaults->setDouble(QStringLiteral("calendarDaysBehind"), c.stored);
        h.defaults->setDouble(QStringLiteral("calendarDaysAhead"), c.stored);
        h.bridge->applyCalendarFilter();
        EXPECT_EQ(h.bridge->calendar().filter().daysBehind, c.behind) << c.stored;
        EXPECT_EQ(h.bridge->calendar().filter().daysAhead, c.ahead) << c.stored;
    }
}

} // namespace
} // namespace vesk::test
