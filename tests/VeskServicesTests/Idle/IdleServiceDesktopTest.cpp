// Keep-awake against the desktop's two inhibitors: logind (dbusmock's template) and a
// fake org.freedesktop.ScreenSaver, each on the test's own buses.
#include "VeskServices/Idle/IdleService.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Session/FakeSessionLayers.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

#include "VeskKit/Diagnostics/TraceLog.h"

#include <QDBusArgument>

using namespace vesk;
using namespace vesk::test;
using namespace vesk::test::sessionmock;

namespace {

// The service, made once the test's inhibitors are on the buses.
class IdleServiceDesktopTest : public BusTest {
protected:
    IdleService& make() {
        return service.emplace(nullptr, std::make_unique<FakeSessionEvents>(), &scheduler,
                               &scheduler.clock());
    }

    ManualScheduler scheduler;
    std::optional<IdleService> service;
};

const QStringList expectedInhibitor{QStringLiteral("idle"), QStringLiteral("VeskNotch"),
                                    QStringLiteral("Vesk — keep awake"), QStringLiteral("block")};

} // namespace

// Both are taken, and both released when the time is up, or at once when their answers
// arrive after keep-awake was turned off.
TEST_F(IdleServiceDesktopTest, BothInhibitorsAreTakenAndBothReleased) {
    ASSERT_EQ(startLogind(buses, false, false), QString());
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    DBusMockControl logind(buses.system(), login1, login1Path);
    DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);
    const auto calls = [&](const char* method) { return saver.methodCalls(QString::fromLatin1(method)); };
    IdleService& service = make();

    ASSERT_TRUE(service.startKeepAwake(KeepAwakeDuration::oneHour));
    ASSERT_TRUE(
        processEventsUntil([&] { return inhibitors(logind).size() == 1 && calls("Inhibit").size() == 1; }));
    EXPECT_EQ(inhibitors(logind).constFirst(), expectedInhibitor);
    EXPECT_EQ(calls("Inhibit").constFirst(),
              (QVariantList{QStringLiteral("VeskNotch"), QStringLiteral("Vesk — keep awake")}));
    processEventsFor(100);
    EXPECT_TRUE(service.isKeepingAwake());

    scheduler.advance(3600);
    EXPECT_FALSE(service.isKeepingAwake());
    ASSERT_TRUE(
        processEventsUntil([&] { return inhibitors(logind).isEmpty() && calls("UnInhibit").size() == 1; }));
    EXPECT_EQ(calls("UnInhibit").constFirst().value(0).toUInt(), inhibitCookie);

    ASSERT_TRUE(service.startKeepAwake(KeepAwakeDuration::indefinite));
    service.stopKeepAwake();
    ASSERT_TRUE(processEventsUntil([&] { return calls("UnInhibit").size() == 2; }));
    EXPECT_EQ(calls("UnInhibit").constLast().value(0).toUInt(), inhibitCookie);
    ASSERT_TRUE(processEventsUntil([&] { return inhibitors(logind).isEmpty(); }));
    EXPECT_FALSE(service.isKeepingAwake());
}

TEST_F(IdleServiceDesktopTest, OneChannelIsEnoughToStayAwake) {
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);
    IdleService& service = make();
    ASSERT_TRUE(service.startKeepAwake(KeepAwakeDuration::indefinite));
    ASSERT_TRUE(processEventsUntil([&] { return saver.methodCalls(QStringLiteral("Inhibit")).size() == 1; }));
    processEventsFor(300);
    EXPECT_TRUE(service.isKeepingAwake());
}

TEST_F(IdleServiceDesktopTest, WithNoInhibitorOnTheMachineKeepAwakeStaysOff) {
    IdleService& service = make();
    // Before the bus has said who is there, the attempt is made and then given up.
    service.startKeepAwake(KeepAwakeDuration::oneHour);
    ASSERT_TRUE(processEventsUntil([&] { return !service.isKeepingAwake(); }));
    EXPECT_FALSE(service.keepAwakeUntil());
    EXPECT_EQ(scheduler.pendingCount(), 0);
    // Once it has, the answer is immediate. (It said so before the attempt failed: each
    // bus answers in the order it was asked.)
    EXPECT_FALSE(service.startKeepAwake(KeepAwakeDuration::oneHour));
    EXPECT_FALSE(service.isKeepingAwake());
}

// Each inhibitor follows its service: a screensaver that comes back is asked again (and
// logind is left alone); one that comes back refusing leaves logind's holding; once
// logind has gone too, keep-awake is off, its timer cancelled, and the trace says why.
TEST_F(IdleServiceDesktopTest, EachInhibitorFollowsItsServiceUntilNeitherHolds) {
    qputenv("VESK_TRACE", "1");
    QProcess* logindProcess = nullptr;
    QProcess* saverProcess = nullptr;
    ASSERT_EQ(startLogind(buses, false, false, &logindProcess), QString());
    ASSERT_EQ(startFreedesktopScreenSaver(buses, &saverProcess), QString());
    DBusMockControl logind(buses.system(), login1, login1Path);
    IdleService& service = make();
    ASSERT_TRUE(service.startKeepAwake(KeepAwakeDuration::oneHour));
    {
        DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);
        ASSERT_TRUE(processEventsUntil([&] {
            return inhibitors(logind).size() == 1 && saver.methodCalls(QStringLiteral("Inhibit")).size() == 1;
        }));
    }

    buses.stop(saverProcess);
    ASSERT_TRUE(buses.waitForNameGone(screenSaver, false));
    ASSERT_EQ(startFreedesktopScreenSaver(buses, &saverProcess), QString());
    DBusMockControl returned(buses.session(), screenSaver, screenSaverPath);
    ASSERT_TRUE(processEventsUntil([&] {
        return returned.methodCalls(QStringLiteral("Inhibit")).size() == 1;
    })) << "the screensaver that came back was not asked again";
    EXPECT_EQ(inhibitors(logind).size(), 1);
    EXPECT_TRUE(service.isKeepingAwake());

    // Back without an Inhibit method: it refuses.
    buses.stop(saverProcess);
    ASSERT_TRUE(buses.waitForNameGone(screenSaver, false));
    ASSERT_TRUE(buses.startMock(screenSaver, screenSaverPath, screenSaver, false))
        << qPrintable(buses.error());
    EXPECT_TRUE(service.isKeepingAwake());

    buses.stop(logindProcess);
    ASSERT_TRUE(processEventsUntil([&] { return !service.isKeepingAwake(); }))
        << "keep-awake still reads on with neither inhibitor held";
    EXPECT_FALSE(service.keepAwakeUntil());
    EXPECT_EQ(scheduler.pendingCount(), 0) << "the expiry timer is still set";
    EXPECT_TRUE(TraceLog::recentLogLines(20).join(u'\n').contains(QStringLiteral("keep-awake lost: ")));
}
