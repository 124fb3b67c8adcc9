// Keep-awake against the desktop's two inhibitors: logind (dbusmock's template) and a
// fake org.freedesktop.ScreenSaver, each on the test's own buses.
#include "VeskServices/Idle/IdleService.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Session/DBusMockControl.h"
#include "support/Session/FakeSessionLayers.h"
#include "support/Session/SessionMocks.h"

#include <gtest/gtest.h>

#include <QDBusArgument>

using namespace vesk;
using namespace vesk::test;
using namespace vesk::test::sessionmock;

namespace {

// logind's inhibitors as (what, who, why, mode).
QList<QStringList> inhibitors(DBusMockControl& logind) {
    const QVariantList reply = logind.call(managerInterface, QStringLiteral("ListInhibitors"));
    QList<QStringList> list;
    if (reply.isEmpty()) return list;
    const QDBusArgument argument = reply.constFirst().value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QString what, who, why, mode;
        quint32 uid = 0, pid = 0;
        argument.beginStructure();
        argument >> what >> who >> why >> mode >> uid >> pid;
        argument.endStructure();
        list << QStringList{what, who, why, mode};
    }
    argument.endArray();
    return list;
}

std::unique_ptr<IdleService> makeService(ManualScheduler& scheduler) {
    return std::make_unique<IdleService>(nullptr, std::make_unique<FakeSessionEvents>(), &scheduler,
                                         &scheduler.clock());
}

const QStringList expectedInhibitor{QStringLiteral("idle"), QStringLiteral("VeskNotch"),
                                    QStringLiteral("Vesk — keep awake"), QStringLiteral("block")};

} // namespace

TEST(IdleServiceDesktopTest, BothInhibitorsAreTakenAndBothReleasedWhenTheTimeIsUp) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_EQ(startLogind(buses, false, false), QString());
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    DBusMockControl logind(buses.system(), login1, login1Path);
    DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);

    ManualScheduler scheduler;
    auto service = makeService(scheduler);
    ASSERT_TRUE(service->startKeepAwake(KeepAwakeDuration::oneHour));
    ASSERT_TRUE(processEventsUntil([&] {
        return inhibitors(logind).size() == 1 && saver.methodCalls(QStringLiteral("Inhibit")).size() == 1;
    }));
    EXPECT_EQ(inhibitors(logind).constFirst(), expectedInhibitor);
    EXPECT_EQ(saver.methodCalls(QStringLiteral("Inhibit")).constFirst(),
              (QVariantList{QStringLiteral("VeskNotch"), QStringLiteral("Vesk — keep awake")}));
    processEventsFor(100);
    EXPECT_TRUE(service->isKeepingAwake());

    scheduler.advance(3600);
    EXPECT_FALSE(service->isKeepingAwake());
    ASSERT_TRUE(processEventsUntil([&] {
        return inhibitors(logind).isEmpty() && saver.methodCalls(QStringLiteral("UnInhibit")).size() == 1;
    }));
    EXPECT_EQ(saver.methodCalls(QStringLiteral("UnInhibit")).constFirst().value(0).toUInt(), inhibitCookie);
}

// Answers that arrive after keep-awake was turned off are handed straight back.
TEST(IdleServiceDesktopTest, InhibitorsGrantedAfterTheStopAreReleasedAtOnce) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_EQ(startLogind(buses, false, false), QString());
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    DBusMockControl logind(buses.system(), login1, login1Path);
    DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);

    ManualScheduler scheduler;
    auto service = makeService(scheduler);
    ASSERT_TRUE(service->startKeepAwake(KeepAwakeDuration::indefinite));
    service->stopKeepAwake();
    ASSERT_TRUE(
        processEventsUntil([&] { return saver.methodCalls(QStringLiteral("UnInhibit")).size() == 1; }));
    EXPECT_EQ(saver.methodCalls(QStringLiteral("UnInhibit")).constFirst().value(0).toUInt(), inhibitCookie);
    ASSERT_TRUE(processEventsUntil([&] { return inhibitors(logind).isEmpty(); }));
    EXPECT_FALSE(service->isKeepingAwake());
}

TEST(IdleServiceDesktopTest, OneChannelIsEnoughToStayAwake) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ASSERT_EQ(startFreedesktopScreenSaver(buses), QString());
    DBusMockControl saver(buses.session(), screenSaver, screenSaverPath);

    ManualScheduler scheduler;
    auto service = makeService(scheduler);
    ASSERT_TRUE(service->startKeepAwake(KeepAwakeDuration::indefinite));
    ASSERT_TRUE(processEventsUntil([&] { return saver.methodCalls(QStringLiteral("Inhibit")).size() == 1; }));
    processEventsFor(300);
    EXPECT_TRUE(service->isKeepingAwake());
}

TEST(IdleServiceDesktopTest, WithNoInhibitorOnTheMachineKeepAwakeStaysOff) {
    PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    ManualScheduler scheduler;
    auto service = makeService(scheduler);
    // Before the bus has said who is there, the attempt is made and then given up.
    service->startKeepAwake(KeepAwakeDuration::oneHour);
    ASSERT_TRUE(processEventsUntil([&] { return !service->isKeepingAwake(); }));
    EXPECT_FALSE(service->keepAwakeUntil());
    EXPECT_EQ(scheduler.pendingCount(), 0);
    // Once it has, the answer is immediate.
    processEventsFor(300);
    EXPECT_FALSE(service->startKeepAwake(KeepAwakeDuration::oneHour));
    EXPECT_FALSE(service->isKeepingAwake());
}
