// Keep-awake against the desktop's two inhibitors: logind (dbusmock's template) and a
// fake org.freedesktop.ScreenSaver, each on the test's own buses.
#include "VeskServices/Idle/IdleService.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
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
