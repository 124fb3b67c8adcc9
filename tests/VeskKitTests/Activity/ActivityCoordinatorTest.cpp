#include "VeskKit/Activity/ActivityCoordinator.h"

#include "support/Activity/PayloadFactory.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace vesk;

namespace {

constexpr auto ambient = ActivityPriority::ambient;
constexpr auto queued = ActivityPriority::queued;
constexpr auto interrupt = ActivityPriority::interrupt;

ActivityPayload P(const char* key, ActivityPriority priority, double duration,
                  ActivityKind kind = ActivityKind::sound) {
    return test::makePayload(QString::fromUtf8(key), priority, duration, kind);
}

QStringList keys(const QList<ActivityPayload>& payloads) {
    QStringList result;
    for (const auto& p : payloads)
        result << p.dedupeKey;
    return result;
}

class ActivityCoordinatorTest : public ::testing::Test {
protected:
    std::shared_ptr<test::ManualClock> clock = std::make_shared<test::ManualClock>();
    ActivityCoordinator coordinator{clock};

    QString currentKey() const {
        return coordinator.current() ? coordinator.current()->dedupeKey : QString();
    }

    // Moves time on by `seconds` and checks the current payload expires exactly then.
    void expectExpiryAfter(double seconds, ActivityCoordinator* c = nullptr) {
        c = c ? c : &coordinator;
        clock->advance(seconds - 0.01);
        EXPECT_FALSE(c->tick()) << "expired early";
        clock->advance(0.01);
        EXPECT_TRUE(c->tick()) << "did not expire";
    }
};

} // namespace

TEST_F(ActivityCoordinatorTest, MasterSwitchRefusesEverything) {
    coordinator.setActivitiesEnabled(false);
    for (auto priority : allActivityPriorities)
        EXPECT_FALSE(coordinator.submit(P("k", priority, 2)));
    EXPECT_FALSE(coordinator.current() || coordinator.ambient() || !coordinator.queue().isEmpty());
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
        EXPECT_EQ(c.submit(P("k", interrupt, 1, row.kind)), row.passes);
        EXPECT_EQ(c.current().has_value(), row.passes);
    }
}

TEST_F(ActivityCoordinatorTest, ChangedGateSetsApplyAndGatesComeBeforeKeyReplacement) {
    coordinator.setFrontmostAppFullscreen(true);
    coordinator.setShowInFullscreen({ActivityKind::sound});
    EXPECT_FALSE(coordinator.submit(P("b", interrupt, 1, ActivityKind::battery)));
    EXPECT_TRUE(coordinator.submit(P("s", interrupt, 1, ActivityKind::sound)));

    coordinator.setFocusActive(true);
    coordinator.setAllowedDuringFocus({ActivityKind::focus});
    // Still in full screen: the focus gate passes it and the full-screen gate refuses it.
    EXPECT_FALSE(coordinator.submit(P("f", interrupt, 1, ActivityKind::focus)));
    coordinator.setFrontmostAppFullscreen(false);
    EXPECT_TRUE(coordinator.submit(P("f", interrupt, 1, ActivityKind::focus)));

    // A refused payload with the current one's key replaces nothing; a gate turned on
    // re-evaluates nothing already accepted.
    const auto shown = coordinator.current();
    coordinator.setDeskOpen(true);
    EXPECT_FALSE(coordinator.submit(P("f", interrupt, 2, ActivityKind::battery)));
    EXPECT_EQ(coordinator.current(), shown);
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, SameKeyAsCurrentReplacesItAtAnyPriorityAndRestartsExpiry) {
    for (auto priority : allActivityPriorities) {
        SCOPED_TRACE(toRaw(priority));
        ActivityCoordinator c(clock);
        ASSERT_TRUE(c.submit(P("vol", interrupt, 2)));
        c.submit(P("other", queued, 1));
        clock->advance(1.5);
        const ActivityPayload newer = P("vol", priority, 3);
        EXPECT_TRUE(c.submit(newer));
        EXPECT_EQ(c.current(), newer);
        EXPECT_EQ(c.queue().size(), 1);
        EXPECT_FALSE(c.ambient()) << "key replacement leaves the ambient slot alone";
        expectExpiryAfter(3, &c);
        EXPECT_EQ(c.current()->dedupeKey, u"other"_qs);
    }
}

TEST_F(ActivityCoordinatorTest, SameKeyAsWaitingEntryReplacesItInPlace) {
    for (const char* key : {"a", "b", "c", "d"})
        coordinator.submit(P(key, queued, 5));
    // Even an interrupt with a waiting entry's key only takes that entry's place.
    const ActivityPayload newC = P("c", interrupt, 1);
    EXPECT_FALSE(coordinator.submit(newC));
    const ActivityPayload ambientB = P("b", ambient, 1);
    EXPECT_FALSE(coordinator.submit(ambientB));
    EXPECT_EQ(coordinator.queue().at(0), ambientB);
    EXPECT_EQ(coordinator.queue().at(1), newC);
    EXPECT_EQ(keys(coordinator.queue()), (QStringList{"b", "c", "d"}));
    EXPECT_EQ(currentKey(), u"a"_qs);
    EXPECT_FALSE(coordinator.ambient());
}

TEST_F(ActivityCoordinatorTest, QueueKeepsTheNewestThree) {
    ASSERT_TRUE(coordinator.submit(P("a", queued, 5)));
    for (const char* key : {"b", "c", "d", "e"})
        EXPECT_FALSE(coordinator.submit(P(key, queued, 5)));
    EXPECT_EQ(keys(coordinator.queue()), (QStringList{"c", "d", "e"}));
    EXPECT_EQ(currentKey(), u"a"_qs);
}

TEST_F(ActivityCoordinatorTest, InterruptSuspendsAQueuedPayloadWithItsRemainingTime) {
    ASSERT_TRUE(coordinator.submit(P("q", queued, 5)));
    coordinator.submit(P("b", queued, 3));
    clock->advance(1.8);
    ASSERT_TRUE(coordinator.submit(P("i", interrupt, 1)));
    EXPECT_EQ(currentKey(), u"i"_qs);
    // The suspended payload comes back before the queue moves on, with its time frozen.
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), u"q"_qs);
    expectExpiryAfter(3.2);
    EXPECT_EQ(currentKey(), u"b"_qs);
    expectExpiryAfter(3);
    EXPECT_FALSE(coordinator.current());
    // Expiry with nothing left is reported once.
    clock->advance(10);
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, ResumedPayloadGetsAtLeastFourTenthsOfASecond) {
    // Nearly used up, and past its expiry with no heartbeat yet.
    for (double elapsed : {0.9, 1.2}) {
        SCOPED_TRACE(elapsed);
        ActivityCoordinator c(clock);
        ASSERT_TRUE(c.submit(P("q", queued, 1)));
        clock->advance(elapsed);
        ASSERT_TRUE(c.submit(P("i", interrupt, 1)));
        clock->advance(1);
        ASSERT_TRUE(c.tick());
        EXPECT_EQ(c.current()->dedupeKey, u"q"_qs);
        expectExpiryAfter(0.4, &c);
    }
}

TEST_F(ActivityCoordinatorTest, InterruptOverInterruptDropsTheFirst) {
    coordinator.submit(P("q", queued, 5));
    coordinator.submit(P("i1", interrupt, 2));
    clock->advance(0.5);
    EXPECT_TRUE(coordinator.submit(P("i2", interrupt, 1)));
    EXPECT_TRUE(coordinator.queue().isEmpty());
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), u"q"_qs) << "the earlier suspended payload stays suspended";
    expectExpiryAfter(5);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, InterruptOrQueuedOverAmbientKeepsItOnlyInTheSlot) {
    ASSERT_TRUE(coordinator.submit(P("np", ambient, 10)));
    EXPECT_TRUE(coordinator.submit(P("vol", interrupt, 1)));
    EXPECT_EQ(coordinator.ambient()->dedupeKey, u"np"_qs);
    expectExpiryAfter(1);
    EXPECT_EQ(currentKey(), u"np"_qs);
    EXPECT_TRUE(coordinator.submit(P("cal", queued, 2))) << "a queued payload is presented at once";
    EXPECT_TRUE(coordinator.queue().isEmpty());
    expectExpiryAfter(2);
    EXPECT_EQ(currentKey(), u"np"_qs);
    expectExpiryAfter(10);
    EXPECT_EQ(currentKey(), u"np"_qs);
}

TEST_F(ActivityCoordinatorTest, AmbientPayloadWaitsBehindCurrentAndRepresentsItself) {
    coordinator.submit(P("vol", interrupt, 1));
    const ActivityPayload np = P("np", ambient, 3);
    EXPECT_FALSE(coordinator.submit(np));
    EXPECT_EQ(coordinator.ambient(), np);
    EXPECT_EQ(currentKey(), u"vol"_qs);
    expectExpiryAfter(1);
    EXPECT_EQ(coordinator.current(), np);
    for (int round = 0; round < 3; ++round) {
        expectExpiryAfter(3);
        EXPECT_EQ(coordinator.current(), np);
    }
}

TEST_F(ActivityCoordinatorTest, SettingAmbientDirectlyPresentsNothing) {
    const ActivityPayload np = P("np", ambient, 3);
    coordinator.setAmbient(np);
    EXPECT_FALSE(coordinator.current());
    clock->advance(100);
    EXPECT_FALSE(coordinator.tick());

    coordinator.submit(P("vol", interrupt, 1));
    expectExpiryAfter(1);
    EXPECT_EQ(coordinator.current(), np);
    coordinator.setAmbient(std::nullopt);
    expectExpiryAfter(3);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, DismissalDiscardsTheSuspendedPayload) {
    coordinator.submit(P("q", queued, 5));
    coordinator.submit(P("b", queued, 5));
    coordinator.submit(P("i", interrupt, 1));
    coordinator.setAmbient(P("np", ambient, 9));

    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_EQ(currentKey(), u"b"_qs);
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_EQ(currentKey(), u"np"_qs);
    coordinator.setAmbient(std::nullopt);
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_FALSE(coordinator.current());
    EXPECT_TRUE(coordinator.dismissCurrent());
    EXPECT_FALSE(coordinator.tick());
}

TEST_F(ActivityCoordinatorTest, CyclesForwardAndBackward) {
    for (bool forward : {true, false}) {
        ActivityCoordinator c(clock);
        c.submit(P("a", queued, 5));
        c.submit(P("b", queued, 2));
        c.submit(P("c", queued, 3));
        clock->advance(1);
        c.cycle(forward);
        EXPECT_EQ(c.current()->dedupeKey, forward ? u"b"_qs : u"c"_qs);
        EXPECT_EQ(keys(c.queue()), forward ? (QStringList{"c", "a"}) : (QStringList{"a", "b"}));
        if (!forward) continue;
        expectExpiryAfter(2, &c); // the cycled-in payload gets its full duration
        EXPECT_EQ(c.current()->dedupeKey, u"c"_qs);
    }
    ActivityCoordinator c(clock);
    c.submit(P("a", queued, 5));
    clock->advance(1);
    c.cycle(true);
    c.cycle(false);
    EXPECT_EQ(c.current()->dedupeKey, u"a"_qs);
    expectExpiryAfter(4, &c); // cycling an empty queue keeps the expiry
}

TEST_F(ActivityCoordinatorTest, ClearRemovesEveryTraceOfAKind) {
    coordinator.submit(P("cal1", queued, 5, ActivityKind::calendar));
    coordinator.submit(P("bat", queued, 5, ActivityKind::battery));
    coordinator.submit(P("cal2", queued, 5, ActivityKind::calendar));
    coordinator.submit(P("bt", queued, 5, ActivityKind::connectivity));
    coordinator.setAmbient(P("np", ambient, 60, ActivityKind::nowPlaying));

    for (ActivityKind kind : {ActivityKind::calendar, ActivityKind::weather}) {
        coordinator.clear(kind);
        EXPECT_EQ(currentKey(), u"bat"_qs);
        EXPECT_EQ(keys(coordinator.queue()), QStringList{"bt"});
        EXPECT_TRUE(coordinator.ambient());
    }
}

TEST_F(ActivityCoordinatorTest, ClearingTheAmbientKindCanStillPresentItOnce) {
    coordinator.submit(P("np-track", queued, 5, ActivityKind::nowPlaying));
    coordinator.setAmbient(P("np", ambient, 60, ActivityKind::nowPlaying));
    coordinator.clear(ActivityKind::nowPlaying);
    // Advancing runs before the ambient slot is emptied, so the ambient copy is shown.
    EXPECT_EQ(currentKey(), u"np"_qs);
    EXPECT_FALSE(coordinator.ambient());
    expectExpiryAfter(60);
    EXPECT_FALSE(coordinator.current());
}

TEST_F(ActivityCoordinatorTest, SignalsOnlyOnChange) {
    QSignalSpy current(&coordinator, &ActivityCoordinator::currentChanged);
    QSignalSpy queue(&coordinator, &ActivityCoordinator::queueChanged);
    QSignalSpy ambientSpy(&coordinator, &ActivityCoordinator::ambientChanged);
    const auto counts = [&] { return std::tuple{current.count(), queue.count(), ambientSpy.count()}; };

    coordinator.submit(P("a", queued, 1));
    coordinator.submit(P("b", queued, 1));
    EXPECT_EQ(counts(), std::tuple(1, 1, 0));
    const ActivityPayload np = P("np", ambient, 1);
    coordinator.setAmbient(np);
    coordinator.setAmbient(np);
    EXPECT_EQ(ambientSpy.count(), 1);

    EXPECT_FALSE(coordinator.tick());
    coordinator.cycle(true); // b current, a queued
    EXPECT_EQ(counts(), std::tuple(2, 2, 1));
    for (int i = 0; i < 3; ++i) { // a, np, then np again: the same payload, nothing to publish
        clock->advance(1);
        ASSERT_TRUE(coordinator.tick());
    }
    coordinator.setFocusActive(true);
    coordinator.setDeskOpen(true);
    EXPECT_EQ(counts(), std::tuple(4, 3, 1));
}

TEST_F(ActivityCoordinatorTest, ExpireAmbientEndsOnlyACurrentAmbientPayload) {
    // Nothing current, or a current payload that is not ambient: nothing happens.
    EXPECT_FALSE(coordinator.expireAmbient());
    coordinator.submit(P("q", queued, 5));
    coordinator.submit(P("i", interrupt, 2)); // suspends q
    EXPECT_FALSE(coordinator.expireAmbient());
    EXPECT_EQ(currentKey(), u"i"_qs);
    expectExpiryAfter(2);
    EXPECT_EQ(currentKey(), u"q"_qs); // the suspended payload survived
    expectExpiryAfter(5);

    // The ambient payload is current and its slot was emptied: it ends now, not in an hour.
    coordinator.setAmbient(P("np", ambient, 3600, ActivityKind::nowPlaying));
    coordinator.dismissCurrent();
    ASSERT_EQ(currentKey(), u"np"_qs);
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
    for (const char* key : {"a", "b", "c"})
        coordinator.submit(P(key, queued, 5));
    coordinator.submit(P("a", ambient, 3600, ActivityKind::nowPlaying));
    ASSERT_EQ(coordinator.current()->priority, ambient);
    EXPECT_TRUE(coordinator.expireAmbient());
    EXPECT_EQ(currentKey(), u"b"_qs);
    EXPECT_EQ(keys(coordinator.queue()), QStringList{"c"});
    expectExpiryAfter(5);
    EXPECT_EQ(currentKey(), u"c"_qs);
}
