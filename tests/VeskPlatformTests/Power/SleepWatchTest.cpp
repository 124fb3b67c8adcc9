// Wake-ups from logind's PrepareForSleep on a private system bus.
#include "VeskPlatform/Power/SleepWatch.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/Session/DBusMockControl.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;
using namespace vesk::test::sessionmock;

TEST(SleepWatchTest, OnlyTheResumeSignalReportsAWakeUp) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_EQ(startLogind(buses, false, false), QString());

    SleepWatch watch(QDBusConnection::systemBus());
    ASSERT_TRUE(watch.isWatching());
    int wakes = 0;
    QObject::connect(&watch, &SleepWatch::didWake, [&] { ++wakes; });

    DBusMockControl logind(buses.system(), login1, login1Path);
    const auto prepare = [&](bool sleeping) {
        ASSERT_TRUE(logind.emitSignal(managerInterface, QStringLiteral("PrepareForSleep"),
                                      QStringLiteral("b"), {sleeping}))
            << qPrintable(logind.lastError());
    };
    prepare(true);
    processEventsFor(300);
    EXPECT_EQ(wakes, 0);
    prepare(false);
    EXPECT_TRUE(processEventsUntil([&] { return wakes == 1; }));
    processEventsFor(100);
    EXPECT_EQ(wakes, 1);
}
