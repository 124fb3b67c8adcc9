#include "VeskServices/Calendar/CalendarService.h"

#include "support/Calendar/EdsSession.h"
#include "support/EventLoop.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTimer>

namespace vesk::test {
namespace {

QString stamp(Date date) {
    return date.toDateTime().toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
}

class CalendarServiceEdsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(eds.ok()) << qPrintable(eds.error()); }

    std::unique_ptr<CalendarService> makeService() {
        auto service = std::make_unique<CalendarService>();
        CalendarFilter filter;
        filter.showMultiDayEvents = true;
        service->setFilter(filter);
        return service;
    }

    void startAndWait(CalendarService& service) {
        bool started = false;
        service.start([&] { started = true; });
        ASSERT_TRUE(processEventsUntil([&] { return started; }, 30000)) << "start() never completed";
        ASSERT_EQ(service.access(), CalendarAccess::granted);
    }

    EdsSession eds;
};

TEST_F(CalendarServiceEdsTest, anotherProgramsNewEventGivesOneRead) {
    if (!runsInOwnProcess()) return;
    ASSERT_TRUE(eds.writer()) << "no writing client";
    const std::unique_ptr<CalendarService> service = makeService();
    startAndWait(*service);
    EXPECT_TRUE(service->events().isEmpty());
    EXPECT_FALSE(service->calendars().isEmpty());
    // Each read that finishes moves the last refresh.
    QSignalSpy reads(service.get(), &CalendarService::lastRefreshChanged);

    const Date start = Date::now() + 3600;
    eds.add(QStringLiteral("BEGIN:VEVENT\nUID:lunch\nSUMMARY:Lunch\nDTSTART:%1\nDTEND:%2\nEND:VEVENT")
                .arg(stamp(start), stamp(start + 600)));
    ASSERT_TRUE(processEventsUntil([&] { return !service->events().isEmpty(); }, 20000))
        << "the new event never showed";
    EXPECT_EQ(service->events().first().id, EdsSession::personalCalendar() + QStringLiteral(":lunch"));
    EXPECT_EQ(service->events().first().title, QStringLiteral("Lunch"));
    // The change is one read; the view's first completion after start may add one more.
    processEventsFor(600);
    EXPECT_GE(reads.count(), 1);
    EXPECT_LE(reads.count(), 2);
}

TEST_F(CalendarServiceEdsTest, aHungStoreNeitherFreezesTheMainThreadNorHoldsUpStop) {
    if (!runsInOwnProcess()) return;
    std::unique_ptr<CalendarService> service = makeService();
    startAndWait(*service);

    eds.freezeCalendars(true);
    service->refresh(true);
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(50);
    ASSERT_TRUE(processEventsUntil([&] { return ticks >= 6; }, 20000))
        << "the main thread's timer stopped firing";

    QElapsedTimer elapsed;
    elapsed.start();
    service->stop();
    EXPECT_LT(elapsed.elapsed(), 1000);
    elapsed.restart();
    service.reset();
    EXPECT_LT(elapsed.elapsed(), 2000) << "quitting waited for the hung store";
}

TEST(CalendarServiceWithoutEdsTest, aBusThatCannotStartTheStoreIsRestricted) {
    if (!runsInOwnProcess()) return;
    // The standard session policy, without the folders activatable services come from.
    QTemporaryFile config;
    ASSERT_TRUE(config.open());
    config.write(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
)");
    config.close();
    EdsSession eds(QStringLiteral("UTC"), config.fileName());
    ASSERT_TRUE(eds.ok()) << qPrintable(eds.error());

    CalendarService service;
    bool started = false;
    service.start([&] { started = true; });
    ASSERT_TRUE(processEventsUntil([&] { return started; }, 20000)) << "start() never completed";
    EXPECT_EQ(service.access(), CalendarAccess::restricted);
    EXPECT_TRUE(service.calendars().isEmpty());
}

} // namespace
} // namespace vesk::test
