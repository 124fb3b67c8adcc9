#include "VeskKit/Activity/ActivityCoordinator.h"

#include "support/Activity/PayloadFactory.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;
using vesk::test::makePayload;

namespace {

constexpr auto ambient = ActivityPriority::ambient;
constexpr auto queued = ActivityPriority::queued;
constexpr auto interrupt = ActivityPriority::interrupt;

class ActivityCoordinatorTest : public ::testing::Test {
protected:
    std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
    ActivityCoordinator coordinator{clock};

    QStringList queueKeys() const {
        QStringList keys;
        for (const auto& p : coordinator.queue())
            keys << p.dedupeKey;
        return keys;
    }
    QString currentKey() const {
        return coordinator.current() ? coordinator.current()->dedupeKey : QString();
    }

    // Moves time on by `seconds` and checks the current payload expires exactly then.
    void expectExpiryAfter(double seconds) {
        clock->advance(seconds - 0.01);
        EXPECT_FALSE(coordinator.tick()) << "expired early";
        clock->advance(0.01);
        EXPECT_TRUE(coordinator.tick()) << "did not expire";
    }
};

} // namespace

TEST_F(ActivityCoordinatorTest, MasterSwitchRefusesEverything) {
    coordinator.setActivitiesEnabled(false);
    for (auto priority : allActivityPriorities)
        EXPECT_FALSE(coordinator.submit(makePayload(QStringLiteral("k"), priority, 2)));
    EXPECT_FALSE(coordinator.current());
    EXPECT_TRUE(coordinator.queue().isEmpty());
    EXPECT_FALSE(coordinator.ambient());
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, GatesDecideByKind) {
    struct Row {
        bool focus, fullscreen, desk;
        ActivityKind kind;
        bool passes;
    };
    const Row rows[] = {
        {false, false, false, ActivityKind::calendar, true},
        {true, false, false, ActivityKind::focus, false},
        {true, false, false, ActivityKind::sound, true},
        {true, false, false, ActivityKind::battery, true},
        {true, false, false, ActivityKind::connectivity, true},
        {true, false, false, ActivityKind::display, true},
        {true, false, false, ActivityKind::keyboardBacklight, false},
        {false, true, false, ActivityKind::idleLock, true}, // every kind shows in full screen at first
        {false, false, true, ActivityKind::sound, true},
        {false, false, true, ActivityKind::display, true},
        {false, false, true, ActivityKind::keyboardBacklight, true},
        {false, false, true, ActivityKind::nowPlaying, false},
        {false, false, true, ActivityKind::battery, false},
        {true, false, true, ActivityKind::keyboardBacklight, false}, // focus refuses before the desk gate
        {true, false, true, ActivityKind::battery, false},           // focus passes, the desk refuses
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(toRaw(row.kind).toStdString() + " focus " + std::to_string(row.focus) + " desk " +
                     std::to_string(row.desk));
        ActivityCoordinator c(clock);
        c.setFocusActive(row.focus);
        c.setFrontmostAppFullscreen(row.fullscreen);
        c.setDeskOpen(row.desk);
        EXPECT_EQ(c.submit(makePayload(QStringLiteral("k"), interrupt, 1, row.kind)), row.passes);
        EXPECT_EQ(c.current().has_value(), row.passes);
    }
}

TEST_F(ActivityCoordinatorTest, ChangedGateSetsApply) {
    coordinator.setFrontmostAppFullscreen(true);
    coordinator.setShowInFullscreen({ActivityKind::sound});
    EXPECT_FALSE(coordinator.submit(makePayload(QStringLiteral("b"), interrupt, 1, ActivityKind::battery)));
    EXPECT_TRUE(coordinator.submit(makePayload(QStringLiteral("s"), interrupt, 1, ActivityKind::sound)));

    coordinator.setFocusActive(true);
    coordinator.setAllowedDuringFocus({ActivityKind::focus});
    // Still in full screen: the focus gate passes it and the full-screen gate refuses it.
    EXPECT_FALSE(coordinator.submit(makePayload(QStringLiteral("f"), interrupt, 1, ActivityKind::focus)));
    coordinator.setFrontmostAppFullscreen(false);
    EXPECT_TRUE(coordinator.submit(makePayload(QStringLiteral("f"), interrupt, 1, ActivityKind::focus)));
}

TEST_F(ActivityCoordinatorTest, GatesComeBeforeKeyReplacement) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("k"), interrupt, 2, ActivityKind::sound)));
    const auto shown = coordinator.current();
    coordinator.setDeskOpen(true);
    EXPECT_FALSE(coordinator.submit(makePayload(QStringLiteral("k"), interrupt, 2, ActivityKind::battery)));
    EXPECT_EQ(coordinator.current(), shown);
    // Turning a gate on re-evaluates nothing already accepted.
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, SameKeyAsCurrentReplacesItAtAnyPriorityAndRestartsExpiry) {
    for (auto priority : allActivityPriorities) {
        SCOPED_TRACE(toRaw(priority));
        ActivityCoordinator c(clock);
        ASSERT_TRUE(c.submit(makePayload(QStringLiteral("vol"), interrupt, 2)));
        c.submit(makePayload(QStringLiteral("other"), queued, 1));
        clock->advance(1.5);
        const ActivityPayload newer = makePayload(QStringLiteral("vol"), priority, 3);
        EXPECT_TRUE(c.submit(newer));
        EXPECT_EQ(c.current(), newer);
        EXPECT_EQ(c.queue().size(), 1);
        EXPECT_FALSE(c.ambient()) << "key replacement leaves the ambient slot alone";
        clock->advance(2.99);
        EXPECT_FALSE(c.tick());
        clock->advance(0.01);
        EXPECT_TRUE(c.tick());
        EXPECT_EQ(c.current()->dedupeKey, QStringLiteral("other"));
    }
}

TEST_F(ActivityCoordinatorTest, SameKeyAsWaitingEntryReplacesItInPlace) {
    coordinator.submit(makePayload(QStringLiteral("a"), queued, 5));
    for (const char* key : {"b", "c", "d"})
        coordinator.submit(makePayload(QString::fromUtf8(key), queued, 5));
    ASSERT_EQ(queueKeys(), (QStringList{"b", "c", "d"}));

    // Even an interrupt with a waiting entry's key only takes that entry's place.
    const ActivityPayload newC = makePayload(QStringLiteral("c"), interrupt, 1);
    EXPECT_FALSE(coordinator.submit(newC));
    EXPECT_EQ(queueKeys(), (QStringList{"b", "c", "d"}));
    EXPECT_EQ(coordinator.queue().at(1), newC);
    EXPECT_EQ(currentKey(), QStringLiteral("a"));

    const ActivityPayload ambientB = makePayload(QStringLiteral("b"), ambient, 1);
    EXPECT_FALSE(coordinator.submit(ambientB));
    EXPECT_EQ(coordinator.queue().at(0), ambientB);
    EXPECT_FALSE(coordinator.ambient());
}

TEST_F(ActivityCoordinatorTest, QueueKeepsTheNewestThree) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("a"), queued, 5)));
    for (const char* key : {"b", "c", "d", "e"})
        EXPECT_FALSE(coordinator.submit(makePayload(QString::fromUtf8(key), queued, 5)));
    EXPECT_EQ(queueKeys(), (QStringList{"c", "d", "e"}));
    EXPECT_EQ(currentKey(), QStringLiteral("a"));
}

TEST_F(ActivityCoordinatorTest, QueuedPayloadsPlayInTurn) {
    coordinator.submit(makePayload(QStringLiteral("a"), queued, 2));
    coordinator.submit(makePayload(QStringLiteral("b"), queued, 3));
    coordinator.submit(makePayload(QStringLiteral("c"), interrupt, 1));
    // The interrupt suspended a; a comes back before the queue moves on.
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), QStringLiteral("a"));
    expectExpiryAfter(2);
    EXPECT_EQ(currentKey(), QStringLiteral("b"));
    expectExpiryAfter(3);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, InterruptSuspendsAQueuedPayloadWithItsRemainingTime) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("q"), queued, 5)));
    clock->advance(1.8);
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("i"), interrupt, 1)));
    EXPECT_EQ(currentKey(), QStringLiteral("i"));
    clock->advance(1);
    ASSERT_TRUE(coordinator.tick());
    EXPECT_EQ(currentKey(), QStringLiteral("q"));
    // Its remaining time was frozen while it was suspended.
    expectExpiryAfter(3.2);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, ResumedPayloadGetsAtLeastFourTenthsOfASecond) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("q"), queued, 1)));
    clock->advance(0.9);
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("i"), interrupt, 2)));
    clock->advance(2);
    ASSERT_TRUE(coordinator.tick());
    EXPECT_EQ(currentKey(), QStringLiteral("q"));
    expectExpiryAfter(0.4);
}

TEST_F(ActivityCoordinatorTest, ExpiredButUntickedQueuedPayloadResumesWithTheMinimum) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("q"), queued, 1)));
    clock->advance(1.2); // past its expiry, no heartbeat yet
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("i"), interrupt, 1)));
    clock->advance(1);
    ASSERT_TRUE(coordinator.tick());
    EXPECT_EQ(currentKey(), QStringLiteral("q"));
    expectExpiryAfter(0.4);
}

TEST_F(ActivityCoordinatorTest, InterruptOverInterruptDropsTheFirst) {
    coordinator.submit(makePayload(QStringLiteral("q"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("i1"), interrupt, 2));
    clock->advance(0.5);
    EXPECT_TRUE(coordinator.submit(makePayload(QStringLiteral("i2"), interrupt, 1)));
    EXPECT_TRUE(coordinator.queue().isEmpty());
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), QStringLiteral("q")) << "the earlier suspended payload stays suspended";
    expectExpiryAfter(5);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, InterruptOverAmbientKeepsItOnlyInTheSlot) {
    ASSERT_TRUE(coordinator.submit(makePayload(QStringLiteral("np"), ambient, 10)));
    EXPECT_TRUE(coordinator.submit(makePayload(QStringLiteral("vol"), interrupt, 1)));
    EXPECT_EQ(coordinator.ambient()->dedupeKey, QStringLiteral("np"));
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), QStringLiteral("np"));
    expectExpiryAfter(10);
    EXPECT_EQ(currentKey(), QStringLiteral("np"));
}

TEST_F(ActivityCoordinatorTest, QueuedOverAmbientIsPresentedAtOnce) {
    coordinator.submit(makePayload(QStringLiteral("np"), ambient, 10));
    EXPECT_TRUE(coordinator.submit(makePayload(QStringLiteral("cal"), queued, 2)));
    EXPECT_EQ(currentKey(), QStringLiteral("cal"));
    EXPECT_TRUE(coordinator.queue().isEmpty());
    expectExpiryAfter(2);
    EXPECT_EQ(currentKey(), QStringLiteral("np"));
}

TEST_F(ActivityCoordinatorTest, AmbientPayloadWaitsBehindCurrentAndRepresentsItself) {
    coordinator.submit(makePayload(QStringLiteral("vol"), interrupt, 1));
    const ActivityPayload np = makePayload(QStringLiteral("np"), ambient, 3);
    EXPECT_FALSE(coordinator.submit(np));
    EXPECT_EQ(coordinator.ambient(), np);
    EXPECT_EQ(currentKey(), QStringLiteral("vol"));
    expectExpiryAfter(1);
    EXPECT_EQ(coordinator.current(), np);
    for (int round = 0; round < 3; ++round) {
        expectExpiryAfter(3);
        EXPECT_EQ(coordinator.current(), np);
    }
}

TEST_F(ActivityCoordinatorTest, SettingAmbientDirectlyPresentsNothing) {
    const ActivityPayload np = makePayload(QStringLiteral("np"), ambient, 3);
    coordinator.setAmbient(np);
    EXPECT_FALSE(coordinator.current());
    clock->advance(100);
    EXPECT_FALSE(coordinator.tick());

    coordinator.submit(makePayload(QStringLiteral("vol"), interrupt, 1));
    expectExpiryAfter(1);
    EXPECT_EQ(coordinator.current(), np);
    coordinator.setAmbient(std::nullopt);
    expectExpiryAfter(3);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, ExpiryWithNothingLeftReportsOnce) {
    coordinator.submit(makePayload(QStringLiteral("a"), queued, 2));
    expectExpiryAfter(2);
    EXPECT_FALSE(coordinator.current());
    EXPECT_FALSE(coordinator.tick());
    clock->advance(10);
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, DismissalDiscardsTheSuspendedPayload) {
    coordinator.submit(makePayload(QStringLiteral("q"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("b"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("i"), interrupt, 1));
    coordinator.setAmbient(makePayload(QStringLiteral("np"), ambient, 9));

    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_EQ(currentKey(), QStringLiteral("b"));
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_EQ(currentKey(), QStringLiteral("np"));
    coordinator.setAmbient(std::nullopt);
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_FALSE(coordinator.current());
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, CyclesForwardAndBackward) {
    const auto setUp = [this](ActivityCoordinator& c) {
        c.submit(makePayload(QStringLiteral("a"), queued, 5));
        c.submit(makePayload(QStringLiteral("b"), queued, 2));
        c.submit(makePayload(QStringLiteral("c"), queued, 3));
        clock->advance(1);
    };
    const auto keys = [](const ActivityCoordinator& c) {
        QStringList k;
        for (const auto& p : c.queue())
            k << p.dedupeKey;
        return k;
    };

    {
        ActivityCoordinator c(clock);
        setUp(c);
        c.cycle(true);
        EXPECT_EQ(c.current()->dedupeKey, QStringLiteral("b"));
        EXPECT_EQ(keys(c), (QStringList{"c", "a"}));
        clock->advance(1.99);
        EXPECT_FALSE(c.tick()) << "the cycled-in payload gets its full duration";
        clock->advance(0.01);
        EXPECT_TRUE(c.tick());
        EXPECT_EQ(c.current()->dedupeKey, QStringLiteral("c"));
    }
    {
        ActivityCoordinator c(clock);
        setUp(c);
        c.cycle(false);
        EXPECT_EQ(c.current()->dedupeKey, QStringLiteral("c"));
        EXPECT_EQ(keys(c), (QStringList{"a", "b"}));
    }
    {
        ActivityCoordinator c(clock);
        c.submit(makePayload(QStringLiteral("a"), queued, 5));
        clock->advance(1);
        c.cycle(true);
        c.cycle(false);
        EXPECT_EQ(c.current()->dedupeKey, QStringLiteral("a"));
        clock->advance(3.99);
        EXPECT_FALSE(c.tick()) << "cycling an empty queue keeps the expiry";
    }
}

TEST_F(ActivityCoordinatorTest, ClearRemovesEveryTraceOfAKind) {
    coordinator.submit(makePayload(QStringLiteral("cal1"), queued, 5, ActivityKind::calendar));
    coordinator.submit(makePayload(QStringLiteral("bat"), queued, 5, ActivityKind::battery));
    coordinator.submit(makePayload(QStringLiteral("cal2"), queued, 5, ActivityKind::calendar));
    coordinator.submit(makePayload(QStringLiteral("bt"), queued, 5, ActivityKind::connectivity));
    coordinator.setAmbient(makePayload(QStringLiteral("np"), ambient, 60, ActivityKind::nowPlaying));

    coordinator.clear(ActivityKind::calendar);
    EXPECT_EQ(currentKey(), QStringLiteral("bat"));
    EXPECT_EQ(queueKeys(), (QStringList{"bt"}));
    EXPECT_TRUE(coordinator.ambient());

    coordinator.clear(ActivityKind::weather);
    EXPECT_EQ(currentKey(), QStringLiteral("bat"));
    EXPECT_EQ(queueKeys(), (QStringList{"bt"}));
}

TEST_F(ActivityCoordinatorTest, ClearingTheAmbientKindCanStillPresentItOnce) {
    coordinator.submit(makePayload(QStringLiteral("np-track"), queued, 5, ActivityKind::nowPlaying));
    coordinator.setAmbient(makePayload(QStringLiteral("np"), ambient, 60, ActivityKind::nowPlaying));
    coordinator.clear(ActivityKind::nowPlaying);
    // Advancing runs before the ambient slot is emptied, so the ambient copy is shown.
    EXPECT_EQ(currentKey(), QStringLiteral("np"));
    EXPECT_FALSE(coordinator.ambient());
    expectExpiryAfter(60);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, SignalsOnlyOnChange) {
    QSignalSpy current(&coordinator, &ActivityCoordinator::currentChanged);
    QSignalSpy queue(&coordinator, &ActivityCoordinator::queueChanged);
    QSignalSpy ambientSpy(&coordinator, &ActivityCoordinator::ambientChanged);

    coordinator.submit(makePayload(QStringLiteral("a"), queued, 1));
    EXPECT_EQ(current.count(), 1);
    coordinator.submit(makePayload(QStringLiteral("b"), queued, 1));
    EXPECT_EQ(current.count(), 1);
    EXPECT_EQ(queue.count(), 1);
    EXPECT_EQ(ambientSpy.count(), 0);

    const ActivityPayload np = makePayload(QStringLiteral("np"), ambient, 1);
    coordinator.setAmbient(np);
    coordinator.setAmbient(np);
    EXPECT_EQ(ambientSpy.count(), 1);

    EXPECT_FALSE(coordinator.tick());
    coordinator.cycle(true); // b current, a queued
    EXPECT_EQ(current.count(), 2);
    EXPECT_EQ(queue.count(), 2);

    clock->advance(1);
    ASSERT_TRUE(coordinator.tick()); // a
    clock->advance(1);
    ASSERT_TRUE(coordinator.tick()); // np
    EXPECT_EQ(current.count(), 4);
    EXPECT_EQ(queue.count(), 3);
    clock->advance(1);
    ASSERT_TRUE(coordinator.tick()); // np again: the same payload, nothing to publish
    EXPECT_EQ(current.count(), 4);

    coordinator.setFocusActive(true);
    coordinator.setDeskOpen(true);
    EXPECT_EQ(current.count() + queue.count() + ambientSpy.count(), 4 + 3 + 1);
}

TEST_F(ActivityCoordinatorTest, ExpireAmbientEndsOnlyACurrentAmbientPayload) {
    // Nothing current, or a current payload that is not ambient: nothing happens.
    EXPECT_FALSE(coordinator.expireAmbient());
    coordinator.submit(makePayload(QStringLiteral("q"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("i"), interrupt, 2)); // suspends q
    EXPECT_FALSE(coordinator.expireAmbient());
    EXPECT_EQ(currentKey(), QStringLiteral("i"));
    expectExpiryAfter(2);
    EXPECT_EQ(currentKey(), QStringLiteral("q")); // the suspended payload survived
    expectExpiryAfter(5);

    // The ambient payload is current and its slot was emptied: it ends now, not in an hour.
    coordinator.setAmbient(makePayload(QStringLiteral("np"), ambient, 3600, ActivityKind::nowPlaying));
    coordinator.dismissCurrent();
    ASSERT_EQ(currentKey(), QStringLiteral("np"));
    coordinator.setAmbient(std::nullopt);
    QSignalSpy current(&coordinator, &ActivityCoordinator::currentChanged);
    EXPECT_TRUE(coordinator.expireAmbient());
    EXPECT_FALSE(coordinator.current());
    EXPECT_EQ(current.count(), 1);
    EXPECT_FALSE(coordinator.tick());
    EXPECT_FALSE(coordinator.expireAmbient());
}

TEST_F(ActivityCoordinatorTest, ExpireAmbientAdvancesToTheQueue) {
    // An ambient payload that took a queued one's key becomes current with entries waiting.
    coordinator.submit(makePayload(QStringLiteral("a"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("b"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("c"), queued, 5));
    coordinator.submit(makePayload(QStringLiteral("a"), ambient, 3600, ActivityKind::nowPlaying));
    ASSERT_EQ(coordinator.current()->priority, ambient);
    EXPECT_TRUE(coordinator.expireAmbient());
    EXPECT_EQ(currentKey(), QStringLiteral("b"));
    EXPECT_EQ(queueKeys(), QStringList{QStringLiteral("c")});
    expectExpiryAfter(5);
    EXPECT_EQ(currentKey(), QStringLiteral("c"));
}
