#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/Calendar/CalendarRules.h"

#include "support/Calendar/CalendarFixtures.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTimer>

namespace vesk::test {
namespace {

QStringList titles(const QList<CalendarEvent>& events) {
    QStringList result;
    for (const CalendarEvent& event : events)
        result << event.title;
    return result;
}

class CalendarServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        scheduler.clock().set(now);
        service = harness.make();
    }

    void start() {
        bool done = false;
        service->start([&] { done = true; });
        scheduler.runPending();
        ASSERT_TRUE(done);
    }

    ScopedTimeZone zone{"Europe/Berlin"};
    // Wednesday noon; the clocks went forward on 29 March.
    Date now = localDate(2026, 4, 1, 12, 0);
    ManualScheduler scheduler;
    ScopedMainScheduler mainScheduler{scheduler};
    CalendarHarness harness{scheduler};
    std::unique_ptr<CalendarService> service;
};

TEST_F(CalendarServiceTest, readsAWindowOfCalendarDaysAcrossAClockChange) {
    CalendarFilter filter;
    filter.daysBehind = 4;
    filter.daysAhead = 2;
    service->setFilter(filter);
    start();
    ASSERT_EQ(harness.state->windows.size(), 1);
    // From midnight on 28 March (winter time) to midnight on 4 April (summer time):
    // seven calendar days, one hour short of seven times 24 hours.
    EXPECT_EQ(harness.state->windows.first().first, localDate(2026, 3, 28));
    EXPECT_EQ(harness.state->windows.first().second, localDate(2026, 4, 4));
    EXPECT_EQ(harness.state->windows.first().second - harness.state->windows.first().first, 7 * 86400 - 3600);
}

TEST_F(CalendarServiceTest, theFilterKeepsEventsByItsSwitchesInStartOrder) {
    harness.state->events = {
        storeEvent(QStringLiteral("later"), localDate(2026, 4, 1, 14)),
        storeEvent(QStringLiteral("allDay"), localDate(2026, 4, 1), 86399, true),
        storeEvent(QStringLiteral("overnight"), localDate(2026, 4, 1, 23), 3600),
        storeEvent(QStringLiteral("endedToday"), localDate(2026, 4, 1, 11), 3540),
        storeEvent(QStringLiteral("yesterday"), localDate(2026, 3, 31, 10)),
        storeEvent(QStringLiteral("sameStart"), localDate(2026, 4, 1, 14)),
    };
    struct Case {
        bool past, allDay, multiDay;
        QStringList expected;
    };
    const QList<Case> cases{
        {false, false, false, {"yesterday", "later", "sameStart"}},
        {true, false, false, {"yesterday", "endedToday", "later", "sameStart"}},
        {false, true, false, {"yesterday", "allDay", "later", "sameStart"}},
        {false, false, true, {"yesterday", "later", "sameStart", "overnight"}},
    };
    start();
    for (const Case& c : cases) {
        CalendarFilter filter;
        filter.showPastEventsToday = c.past;
        filter.showAllDayEvents = c.allDay;
        filter.showMultiDayEvents = c.multiDay;
        service->setFilter(filter);
        scheduler.runPending();
        EXPECT_EQ(titles(service->events()), c.expected) << c.past << c.allDay << c.multiDay;
    }
    const QList<CalendarService::Day> days = service->grouped();
    ASSERT_EQ(days.size(), 2);
    EXPECT_EQ(days[0].day, localDate(2026, 3, 31));
    EXPECT_EQ(titles(days[1].events), (QStringList{"later", "sameStart", "overnight"}));
}

TEST_F(CalendarServiceTest, upcomingTakesTheFirstTimedEventWithinTheLeadTime) {
    harness.state->events = {
        storeEvent(QStringLiteral("now"), now),
        storeEvent(QStringLiteral("allDay"), localDate(2026, 4, 1, 12, 1), 60, true),
        storeEvent(QStringLiteral("first"), now + 300),
        storeEvent(QStringLiteral("tie"), now + 300),
    };
    CalendarFilter filter;
    filter.showAllDayEvents = true;
    service->setFilter(filter);
    start();
    EXPECT_EQ(service->upcoming(300).value_or(CalendarEvent{}).title, QStringLiteral("first"));
    EXPECT_EQ(service->upcoming(299.9), std::nullopt);
    scheduler.advance(301);
    EXPECT_EQ(service->upcoming(3600), std::nullopt) << "no event starts later";
}

TEST_F(CalendarServiceTest, anEqualFilterReadsNothingAndAChangedOneReadsOnceNotHard) {
    start();
    ASSERT_EQ(harness.state->reads, 1);
    ASSERT_EQ(harness.state->resets, 1);
    QSignalSpy filterChanged(service.get(), &CalendarService::filterChanged);

    service->setFilter(CalendarFilter{});
    scheduler.runPending();
    EXPECT_EQ(harness.state->reads, 1);
    EXPECT_EQ(filterChanged.count(), 0);

    CalendarFilter wider;
    wider.daysAhead = 14;
    service->setFilter(wider);
    scheduler.runPending();
    EXPECT_EQ(harness.state->reads, 2);
    EXPECT_EQ(harness.state->resets, 1);
    EXPECT_EQ(filterChanged.count(), 1);
}

TEST_F(CalendarServiceTest, withoutAccessBothListsEmptyAndTheLastRefreshStays) {
    harness.state->events = {storeEvent(QStringLiteral("later"), now + 3600)};
    start();
    ASSERT_EQ(service->events().size(), 1);
    ASSERT_EQ(service->calendars().size(), 1);
    const std::optional<Date> refreshed = service->lastRefresh();
    ASSERT_TRUE(refreshed);

    harness.state->access = CalendarAccess::restricted;
    scheduler.advance(10);
    start();
    EXPECT_EQ(service->access(), CalendarAccess::restricted);
    service->refresh(true);
    EXPECT_TRUE(service->events().isEmpty());
    EXPECT_TRUE(service->calendars().isEmpty());
    EXPECT_EQ(service->lastRefresh(), refreshed);
    scheduler.advance(600);
    EXPECT_EQ(harness.state->reads, 1) << "no timer reads without access";
}

TEST_F(CalendarServiceTest, storeChangesFoldIntoOneReadAndTheTimerReadsHard) {
    start();
    harness.state->notifyChanged();
    harness.state->notifyChanged();
    scheduler.advance(0.2);
    harness.state->notifyChanged();
    scheduler.advance(0.1);
    EXPECT_EQ(harness.state->reads, 2);
    EXPECT_EQ(harness.state->resets, 1);
    scheduler.advance(300);
    EXPECT_EQ(harness.state->reads, 3);
    EXPECT_EQ(harness.state->resets, 2);
    service->stop();
    harness.state->notifyChanged();
    scheduler.advance(600);
    EXPECT_EQ(harness.state->reads, 3) << "a stopped service neither watches nor ticks";
}

// A read still running when the service stops publishes nothing, yet it ends the
// fetching: a refresh asked for meanwhile runs, and later ones read again.
TEST_F(CalendarServiceTest, aReadOfAStoppedRunPublishesNothingAndRefreshingGoesOn) {
    start();
    ASSERT_EQ(service->calendars().size(), 1);
    harness.state->calendars.append({QStringLiteral("home"), QStringLiteral("Home"), QString()});

    service->refresh(false);
    service->stop();
    scheduler.runPending();
    EXPECT_EQ(service->calendars().size(), 1) << "the stopped run's read was published";

    service->refresh(false);
    service->stop();
    service->refresh(true); // waits for the read in flight
    scheduler.runPending();
    EXPECT_EQ(harness.state->reads, 4);
    EXPECT_EQ(service->calendars().size(), 2) << "the refresh asked for meanwhile did not publish";
}

TEST(CalendarRulesTest, identifiersColoursAndSnapshots) {
    CalendarStoreEvent event = storeEvent(QStringLiteral("abc"), Date::fromUnix(1.5));
    EXPECT_EQ(calendarRules::eventID(event), QStringLiteral("work:abc"));
    event.recurrenceId = QStringLiteral("20261201T100000Z");
    EXPECT_EQ(calendarRules::eventID(event), QStringLiteral("work:abc:20261201T100000Z"));
    event.uid.clear();
    EXPECT_EQ(calendarRules::eventID(event), QStringLiteral("work-1.5"));
    event.start = Date::fromUnix(1796600000);
    EXPECT_EQ(calendarRules::eventID(event), QStringLiteral("work-1796600000.0"));

    EXPECT_EQ(calendarRules::color(QStringLiteral("#ff8000")),
              (CalendarColor{1.0, QColor(255, 128, 0).greenF(), 0.0}));
    EXPECT_EQ(calendarRules::color(QString()), CalendarColor{});
    EXPECT_EQ(calendarRules::color(QStringLiteral("not a colour")), CalendarColor{});

    event.title.reset();
    event.location = QStringLiteral("  \n ");
    event.notes = QStringLiteral("https://zoom.us/j/123");
    const std::optional<CalendarEvent> snapshot = calendarRules::snapshot(
        event, {{QStringLiteral("work"), CalendarColor{0, 0, 1}}}, MeetingLinkDetector());
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->title, QStringLiteral("Untitled"));
    EXPECT_EQ(snapshot->location, std::nullopt);
    EXPECT_EQ(snapshot->calendarColor, (CalendarColor{0, 0, 1}));
    EXPECT_EQ(snapshot->meetingURL, QUrl(QStringLiteral("https://zoom.us/j/123")));
    event.end.reset();
    EXPECT_EQ(calendarRules::snapshot(event, {}, MeetingLinkDetector()), std::nullopt);
}

TEST(CalendarServiceHungStoreTest, readsAnswerAtOnceRequestsFoldAndStopDoesNotWait) {
    auto state = std::make_shared<FakeCalendarStore::State>();
    state->calendars = {{QStringLiteral("work"), QStringLiteral("Work"), {}}};
    state->hang = true;
    auto service = std::make_unique<CalendarService>(
        Date::now, [state] { return std::make_unique<FakeCalendarStore>(state); });
    service->start();
    const auto reads = [&] {
        std::lock_guard lock(state->mutex);
        return state->reads;
    };
    ASSERT_TRUE(processEventsUntil([&] { return reads() == 1; }, 20000)) << "the first read never began";

    QElapsedTimer elapsed;
    elapsed.start();
    for (int i = 0; i < 3; ++i)
        service->refresh(false);
    EXPECT_TRUE(service->events().isEmpty());
    EXPECT_EQ(service->upcoming(600), std::nullopt);
    EXPECT_LT(elapsed.elapsed(), 100);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(10);
    ASSERT_TRUE(processEventsUntil([&] { return ticks >= 5; }, 20000)) << "the main thread stalled";

    elapsed.restart();
    service->stop();
    EXPECT_LT(elapsed.elapsed(), 1000);
    // The cancelled read returns, then the three requests make exactly one more.
    ASSERT_TRUE(processEventsUntil([&] { return reads() == 2; }, 20000)) << "the folded read never ran";
    processEventsFor(200);
    EXPECT_EQ(reads(), 2);
    elapsed.restart();
    service.reset();
    EXPECT_LT(elapsed.elapsed(), 1000);
}

} // namespace
} // namespace vesk::test
