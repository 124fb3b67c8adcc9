#include "VeskKit/Gestures/ScrollGestureRecognizer.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

constexpr auto changed = SwipePhase::changed;
const Date t0{1000.0};

} // namespace

TEST(ScrollGestureRecognizerTest, FiresOnceTheLockedAxisReachesTheThreshold) {
    struct Row {
        double dx, dy;
        bool natural, invert;
        std::optional<ScrollIntent> intent;
    };
    const Row rows[] = {
        {0, 18, false, false, ScrollIntent::down},
        {0, 18, true, false, ScrollIntent::up},
        {0, -18, false, false, ScrollIntent::up},
        {0, -18, true, false, ScrollIntent::down},
        {18, 0, false, false, ScrollIntent::right},
        {18, 0, false, true, ScrollIntent::left},
        {-18, 0, false, false, ScrollIntent::left},
        {-18, 0, false, true, ScrollIntent::right},
        {0, 17.9, false, false, std::nullopt},
        {18, 18, false, false, ScrollIntent::down}, // tie: vertical
        {18.1, 18, false, false, ScrollIntent::right},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::to_string(row.dx) + "," + std::to_string(row.dy));
        ScrollGestureRecognizer recognizer;
        recognizer.naturalVertical = row.natural;
        recognizer.invertHorizontal = row.invert;
        EXPECT_EQ(recognizer.consume(row.dx, row.dy, changed, t0), row.intent);
    }
}

TEST(ScrollGestureRecognizerTest, AccumulatesAcrossDeltas) {
    ScrollGestureRecognizer recognizer;
    EXPECT_EQ(recognizer.consume(-10, 0, changed, t0), std::nullopt);
    EXPECT_EQ(recognizer.consume(-10, 0, changed, t0 + 0.05), ScrollIntent::left);

    ScrollGestureRecognizer inverted;
    inverted.invertHorizontal = true;
    EXPECT_EQ(inverted.consume(-10, 0, SwipePhase::none, t0), std::nullopt);
    EXPECT_EQ(inverted.consume(-10, 0, SwipePhase::none, t0 + 0.05), ScrollIntent::right);
}

TEST(ScrollGestureRecognizerTest, LocksTheAxisAtAThirdOfTheThreshold) {
    {
        // (5, 5) is below 6 and locks nothing; (0, 2) then locks vertical, so horizontal
        // travel never fires in this stroke.
        ScrollGestureRecognizer r;
        EXPECT_EQ(r.consume(5, 5, changed, t0), std::nullopt);
        EXPECT_EQ(r.consume(0, 2, changed, t0 + 0.01), std::nullopt);
        EXPECT_EQ(r.consume(100, 0, changed, t0 + 0.02), std::nullopt);
        EXPECT_EQ(r.consume(0, 11, changed, t0 + 0.03), ScrollIntent::down);
    }
    {
        // (4, 4) then (2, 2) reaches 6 on both axes: the tie locks vertical.
        ScrollGestureRecognizer r;
        EXPECT_EQ(r.consume(4, 4, changed, t0), std::nullopt);
        EXPECT_EQ(r.consume(2, 2, changed, t0 + 0.01), std::nullopt);
        EXPECT_EQ(r.consume(30, 0, changed, t0 + 0.02), std::nullopt);
        EXPECT_EQ(r.consume(0, 12, changed, t0 + 0.03), ScrollIntent::down);
    }
    {
        // A horizontal lock ignores vertical travel until a reset.
        ScrollGestureRecognizer r;
        EXPECT_EQ(r.consume(-7, 0, changed, t0), std::nullopt);
        EXPECT_EQ(r.consume(0, -100, changed, t0 + 0.01), std::nullopt);
        r.reset();
        EXPECT_EQ(r.consume(0, -18, changed, t0 + 0.02), ScrollIntent::up);
    }
}

TEST(ScrollGestureRecognizerTest, CoolDownAfterFiring) {
    ScrollGestureRecognizer r;
    ASSERT_EQ(r.consume(0, 18, changed, t0), ScrollIntent::down);
    // The lock stays and the travel keeps accumulating during the cool-down.
    EXPECT_EQ(r.consume(0, 10, changed, t0 + 0.2), std::nullopt);
    EXPECT_EQ(r.consume(0, 10, changed, t0 + 0.39), std::nullopt);
    EXPECT_EQ(r.consume(-50, 0, changed, t0 + 0.4), std::nullopt) << "still locked vertical";
    EXPECT_EQ(r.consume(0, -2, changed, t0 + 0.45), ScrollIntent::down);

    // The first delta after the cool-down that reaches the threshold fires.
    ScrollGestureRecognizer up;
    ASSERT_EQ(up.consume(0, -18, changed, t0), ScrollIntent::up);
    EXPECT_EQ(up.consume(0, -6, changed, t0 + 0.2), std::nullopt);
    EXPECT_EQ(up.consume(0, -6, changed, t0 + 0.4), std::nullopt); // 12 of 18
    EXPECT_EQ(up.consume(0, -6, changed, t0 + 0.6), ScrollIntent::up);
}

TEST(ScrollGestureRecognizerTest, PauseStartsAfresh) {
    ScrollGestureRecognizer r;
    EXPECT_EQ(r.consume(0, 12, changed, t0), std::nullopt);
    // 0.3 s later: the earlier travel and lock are gone.
    EXPECT_EQ(r.consume(10, 0, changed, t0 + 0.3), std::nullopt);
    EXPECT_EQ(r.consume(8, 0, changed, t0 + 0.5), ScrollIntent::right);
    // Exactly the idle gap still continues the stroke (cool-down is over by then too).
    EXPECT_EQ(r.consume(-7, 0, changed, t0 + 0.9), std::nullopt);
    EXPECT_EQ(r.consume(-11, 0, changed, t0 + 1.15), ScrollIntent::left);
}

TEST(ScrollGestureRecognizerTest, PhasesResetTheStroke) {
    for (SwipePhase end : {SwipePhase::ended, SwipePhase::cancelled}) {
        ScrollGestureRecognizer r;
        EXPECT_EQ(r.consume(0, 12, changed, t0), std::nullopt);
        EXPECT_EQ(r.consume(0, 30, end, t0 + 0.01), std::nullopt);
        EXPECT_EQ(r.consume(0, 12, changed, t0 + 0.02), std::nullopt) << "the end cleared the travel";
    }
    {
        ScrollGestureRecognizer r;
        EXPECT_EQ(r.consume(0, 12, changed, t0), std::nullopt);
        // began drops the vertical travel and lock, then counts its own delta.
        EXPECT_EQ(r.consume(-7, 0, SwipePhase::began, t0 + 0.01), std::nullopt);
        EXPECT_EQ(r.consume(-11, 0, changed, t0 + 0.02), ScrollIntent::left);
    }
    // A reset keeps the cool-down.
    ScrollGestureRecognizer r;
    ASSERT_EQ(r.consume(0, 18, changed, t0), ScrollIntent::down);
    EXPECT_EQ(r.consume(0, 18, SwipePhase::began, t0 + 0.1), std::nullopt);
}

TEST(ScrollGestureRecognizerTest, IntentsMapToSwipeEventsWhateverTheState) {
    const std::pair<ScrollIntent, NotchEvent> rows[] = {{ScrollIntent::up, NotchEvent::swipeUp()},
                                                        {ScrollIntent::down, NotchEvent::swipeDown()},
                                                        {ScrollIntent::left, NotchEvent::swipeLeft()},
                                                        {ScrollIntent::right, NotchEvent::swipeRight()}};
    for (const auto& [intent, event] : rows)
        for (const NotchState& state : {NotchState::closed(), NotchState::open(DeskTab::tray)})
            EXPECT_EQ(ScrollGestureRecognizer::event(intent, state), event);
}
