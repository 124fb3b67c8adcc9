#include "VeskPlatform/Calendar/Eds/EdsCalendarStore.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include "support/Calendar/EdsSession.h"
#include "support/EventLoop.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <atomic>

namespace vesk::test {
namespace {

Date utc(const char* iso) {
    return *Date::fromIso8601(QString::fromLatin1(iso));
}

Date local(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    return Date::fromDateTime(QDateTime(QDate(year, month, day), QTime(hour, minute, second)));
}

// The store on a queue of its own, as the calendar service runs it.
class EdsCalendarStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(eds.ok()) << qPrintable(eds.error()); }

    void TearDown() override {
        if (!store) return;
        queue.sync([this] { store.reset(); });
        queue.shutdown();
    }

    void openStore() {
        queue.sync([this] { store = std::make_unique<EdsCalendarStore>(nullptr); });
        CalendarAccess access = CalendarAccess::notDetermined;
        queue.sync([&] { access = store->access(nullptr); });
        ASSERT_EQ(access, CalendarAccess::granted);
        std::atomic<bool> opened = false;
        queue.async([&] { store->open([&] { opened = true; }); });
        ASSERT_TRUE(processEventsUntil([&] { return opened.load(); }, 30000)) << "the store never opened";
    }

    QList<CalendarStoreEvent> read(Date start, Date end) {
        std::optional<QList<CalendarStoreEvent>> events;
        queue.sync([&] { events = store->events({EdsSession::personalCalendar()}, start, end); });
        EXPECT_TRUE(events.has_value()) << "the store did not answer";
        return events.value_or(QList<CalendarStoreEvent>{});
    }

    EdsSession eds;
    SerialQueue queue{QStringLiteral("test.calendar")};
    std::unique_ptr<EdsCalendarStore> store;
};

TEST_F(EdsCalendarStoreTest, readsTimedRecurringAllDayAndUntitledEventsBack) {
    if (!runsInOwnProcess()) return;
    ICalTimezone* newYork = i_cal_timezone_get_builtin_timezone("America/New_York");
    ASSERT_TRUE(newYork);
    const QString newYorkId = QString::fromUtf8(i_cal_timezone_get_tzid(newYork));
    ASSERT_TRUE(eds.writer()) << "no writing client";
    ASSERT_TRUE(e_cal_client_add_timezone_sync(eds.writer(), newYork, nullptr, nullptr));

    eds.add(QStringLiteral("BEGIN:VEVENT\nUID:timed\nSUMMARY:Standup\nLOCATION: Room 4 \n"
                           "DESCRIPTION:Join https://meet.jit.si/standup\nURL:https://example.com/agenda\n"
                           "DTSTART;TZID=%1:20261208T090000\nDTEND;TZID=%1:20261208T093000\nEND:VEVENT")
                .arg(newYorkId));
    eds.add(QStringLiteral(
        "BEGIN:VEVENT\nUID:weekly\nSUMMARY:Review\nDTSTART:20261201T100000Z\n"
        "DTEND:20261201T110000Z\nRRULE:FREQ=WEEKLY;COUNT=4\nEXDATE:20261208T100000Z\nEND:VEVENT"));
    ASSERT_TRUE(eds.modifyOccurrence(
        QStringLiteral("BEGIN:VEVENT\nUID:weekly\nSUMMARY:Review (moved)\nRECURRENCE-ID:20261215T100000Z\n"
                       "DTSTART:20261215T150000Z\nDTEND:20261215T160000Z\nEND:VEVENT")));
    eds.add(QStringLiteral("BEGIN:VEVENT\nUID:zoned\nSUMMARY:Call\nDTSTART;TZID=%1:20261202T080000\n"
                           "DTEND;TZID=%1:20261202T083000\nRRULE:FREQ=DAILY;COUNT=1\nEND:VEVENT")
                .arg(newYorkId));
    eds.add(QStringLiteral("BEGIN:VEVENT\nUID:holiday\nSUMMARY:Holiday\nDTSTART;VALUE=DATE:20261210\n"
                           "DTEND;VALUE=DATE:20261211\nEND:VEVENT"));
    eds.add(
        QStringLiteral("BEGIN:VEVENT\nUID:untitled\nDTSTART:20261211T120000Z\nDURATION:PT30M\nEND:VEVENT"));

    openStore();
    QMap<QString, CalendarStoreEvent> byId;
    for (const CalendarStoreEvent& event : read(utc("2026-11-30T00:00:00Z"), utc("2027-01-01T00:00:00Z")))
        byId.insert(event.uid + QLatin1Char('/') + event.recurrenceId, event);

    ASSERT_EQ(
        byId.keys(),
        (QStringList{QStringLiteral("holiday/"), QStringLiteral("timed/"), QStringLiteral("untitled/"),
                     QStringLiteral("weekly/20261201T100000Z"), QStringLiteral("weekly/20261215T100000Z"),
                     QStringLiteral("weekly/20261222T100000Z"), QStringLiteral("zoned/20261202T080000")}));

    const CalendarStoreEvent timed = byId.value(QStringLiteral("timed/"));
    EXPECT_EQ(timed.start, utc("2026-12-08T14:00:00Z"));
    EXPECT_EQ(timed.end, utc("2026-12-08T14:30:00Z"));
    EXPECT_EQ(timed.title, QStringLiteral("Standup"));
    EXPECT_EQ(timed.location, QStringLiteral("Room 4"));
    EXPECT_EQ(timed.notes, QStringLiteral("Join https://meet.jit.si/standup"));
    EXPECT_EQ(timed.url, QUrl(QStringLiteral("https://example.com/agenda")));
    EXPECT_FALSE(timed.isAllDay);
    EXPECT_EQ(timed.calendarId, EdsSession::personalCalendar());

    const CalendarStoreEvent moved = byId.value(QStringLiteral("weekly/20261215T100000Z"));
    EXPECT_EQ(moved.start, utc("2026-12-15T15:00:00Z"));
    EXPECT_EQ(moved.title, QStringLiteral("Review (moved)"));
    EXPECT_EQ(byId.value(QStringLiteral("weekly/20261222T100000Z")).start, utc("2026-12-22T10:00:00Z"));
    EXPECT_EQ(byId.value(QStringLiteral("weekly/20261222T100000Z")).end, utc("2026-12-22T11:00:00Z"));

    EXPECT_EQ(byId.value(QStringLiteral("zoned/20261202T080000")).start, utc("2026-12-02T13:00:00Z"));
    EXPECT_EQ(byId.value(QStringLiteral("zoned/20261202T080000")).end, utc("2026-12-02T13:30:00Z"));

    const CalendarStoreEvent holiday = byId.value(QStringLiteral("holiday/"));
    EXPECT_TRUE(holiday.isAllDay);
    EXPECT_EQ(holiday.start, local(2026, 12, 10));
    EXPECT_EQ(holiday.end, local(2026, 12, 10, 23, 59, 59));

    const CalendarStoreEvent untitled = byId.value(QStringLiteral("untitled/"));
    EXPECT_EQ(untitled.title, std::nullopt);
    EXPECT_EQ(untitled.end, utc("2026-12-11T12:30:00Z"));
}

} // namespace
} // namespace vesk::test
