#include "VeskServices/Idle/IdleService.h"

#include "support/ManualScheduler.h"
#include "support/Session/FakeSessionLayers.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

struct Harness {
    Harness() {
        auto assertionFake = std::make_unique<FakePowerAssertion>();
        auto sessionFake = std::make_unique<FakeSessionEvents>();
        assertion = assertionFake.get();
        session = sessionFake.get();
        service = std::make_unique<IdleService>(std::move(assertionFake), std::move(sessionFake), &scheduler,
                                                &scheduler.clock());
        QObject::connect(service.get(), &IdleService::keepAwakeChanged, [this] { ++changes; });
        service->setOnLockEvent([this](ScreenLockEvent e) { events << e; });
    }

    ManualScheduler scheduler;
    FakePowerAssertion* assertion = nullptr;
    FakeSessionEvents* session = nullptr;
    std::unique_ptr<IdleService> service;
    int changes = 0;
    QList<ScreenLockEvent> events;
};

} // namespace

TEST(IdleServiceTest, ATimedKeepAwakeEndsOnTimeAndReleasesTheAssertion) {
    Harness h;
    const Date t = h.scheduler.now();
    ASSERT_TRUE(h.service->startKeepAwake(KeepAwakeDuration::oneHour));
    EXPECT_TRUE(h.service->isKeepingAwake());
    EXPECT_EQ(h.service->keepAwakeUntil(), t + 3600);
    EXPECT_EQ(h.assertion->lastReason, QStringLiteral("Vesk — keep awake"));
    EXPECT_TRUE(h.assertion->held);

    h.scheduler.advance(3599);
    EXPECT_TRUE(h.service->isKeepingAwake());
    h.scheduler.advance(1);
    EXPECT_FALSE(h.service->isKeepingAwake());
    EXPECT_FALSE(h.service->keepAwakeUntil());
    EXPECT_FALSE(h.assertion->held);
    EXPECT_EQ(h.assertion->releases, 1);
    EXPECT_EQ(h.changes, 2);
}

TEST(IdleServiceTest, AStartReplacesTheRunningKeepAwakeAndItsTimerAndIndefiniteHasNone) {
    Harness h;
    const Date t = h.scheduler.now();
    h.service->startKeepAwake(KeepAwakeDuration::twoHours);
    h.scheduler.advance(600);
    h.service->startKeepAwake(KeepAwakeDuration::thirtyMinutes);
    EXPECT_EQ(h.service->keepAwakeUntil(), t + 600 + 1800);
    EXPECT_EQ(h.assertion->acquires, 2);
    EXPECT_EQ(h.assertion->releases, 1);
    EXPECT_TRUE(h.assertion->held) << "one assertion held, not two";

    h.scheduler.advance(1800);
    EXPECT_FALSE(h.service->isKeepingAwake());
    h.scheduler.advance(7200);
    EXPECT_EQ(h.assertion->releases, 2) << "the replaced timer never fires";
    EXPECT_EQ(h.scheduler.pendingCount(), 0);

    // Indefinite has no end and no timer.
    ASSERT_TRUE(h.service->startKeepAwake(KeepAwakeDuration::indefinite));
    EXPECT_FALSE(h.service->keepAwakeUntil());
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
    h.scheduler.advance(86400);
    EXPECT_TRUE(h.service->isKeepingAwake());
}

TEST(IdleServiceTest, StoppingWhenOffReleasesNothingAndToggleFlips) {
    Harness h;
    h.service->stopKeepAwake();
    EXPECT_EQ(h.assertion->releases, 0);
    EXPECT_EQ(h.changes, 0);

    h.service->toggleKeepAwake(KeepAwakeDuration::oneHour);
    EXPECT_TRUE(h.service->isKeepingAwake());
    h.service->toggleKeepAwake(KeepAwakeDuration::oneHour);
    EXPECT_FALSE(h.service->isKeepingAwake());
    EXPECT_EQ(h.assertion->releases, 1);
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
}

TEST(IdleServiceTest, AnAssertionThatCannotBeHeldLeavesKeepAwakeOff) {
    Harness h;
    h.assertion->accepts = false;
    EXPECT_FALSE(h.service->startKeepAwake(KeepAwakeDuration::oneHour));
    EXPECT_FALSE(h.service->isKeepingAwake());
    EXPECT_FALSE(h.service->keepAwakeUntil());
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
    EXPECT_EQ(h.changes, 0);

    // Accepted at first, then refused by every channel: off again, and said so.
    h.assertion->accepts = true;
    h.service->startKeepAwake(KeepAwakeDuration::oneHour);
    h.assertion->loseIt();
    EXPECT_FALSE(h.service->isKeepingAwake());
    EXPECT_FALSE(h.service->keepAwakeUntil());
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
    EXPECT_EQ(h.changes, 2);
}

TEST(IdleServiceTest, LockChangesReachTheHandlerOnceEachWhileWatching) {
    Harness h;
    h.service->start();
    h.service->start(); // a second start leaves one subscription
    EXPECT_EQ(h.session->starts, 2);

    h.session->setLocked(true);
    EXPECT_TRUE(h.service->isScreenLocked());
    h.session->setLocked(false);
    EXPECT_FALSE(h.service->isScreenLocked());
    EXPECT_EQ(h.events, (QList<ScreenLockEvent>{ScreenLockEvent::locked, ScreenLockEvent::unlocked}));

    h.service->stop();
    h.session->setLocked(true);
    EXPECT_EQ(h.events.size(), 2);
}

TEST(IdleServiceTest, ShutDownEndsKeepAwakeAndWatching) {
    Harness h;
    h.service->start();
    h.service->startKeepAwake(KeepAwakeDuration::twoHours);
    h.service->shutDown();
    EXPECT_FALSE(h.service->isKeepingAwake());
    EXPECT_EQ(h.assertion->releases, 1);
    EXPECT_EQ(h.session->stops, 1);
    EXPECT_EQ(h.scheduler.pendingCount(), 0);
}
