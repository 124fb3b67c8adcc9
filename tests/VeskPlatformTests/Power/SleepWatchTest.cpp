// Wake-ups from logind's PrepareForSleep on a private system bus.
#include "VeskPlatform/Power/SleepWatch.h"

#include "support/EventLoop.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;
using namespace vesk::test::sessionmock;

using SleepWatchTest = BusTest;

TEST_F(SleepWatchTest, OnlyTheResumeSignalReportsAWakeUp) {
    ASSERT_EQ(startLogind(buses, false, false), QString());
    SleepWatch watch(QDBusConnection::systemBus());
    ASSERT_TRUE(watch.isWatching());
    int wakes = 0;
    QObject::connect(&watch, &SleepWatch::didWake, [&] { ++wakes; });

    DBusMockControl logind(buses.system(), login1, login1Path);
    for (bool sleeping : {true, false})
        ASSERT_TRUE(logind.emitSignal(managerInterface, QStringLiteral("PrepareForSleep"),
                                      QStringLiteral("b"), {sleeping}))
            << qPrintable(logind.lastError());
    EXPECT_TRUE(processEventsUntil([&] { return wakes == 1; }));
    processEventsFor(300);
    EXPECT_EQ(wakes, 1);
}
