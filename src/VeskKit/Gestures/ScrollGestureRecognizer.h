#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Gestures/ScrollIntent.h"
#include "VeskKit/Gestures/SwipePhase.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Notch/NotchState.h"

#include <optional>

namespace vesk {

// Turns a stream of scroll deltas into at most one swipe per stroke: it locks onto
// the dominant axis early, fires once that axis has travelled far enough, then waits
// out a cool-down so one long stroke does not fire repeatedly, and forgets everything
// after a short pause.
struct ScrollGestureRecognizer {
    double threshold = 18;        // points along the locked axis needed to fire
    double cooldown = 0.4;        // seconds after a swipe in which nothing fires
    double idleReset = 0.25;      // a longer gap between two deltas starts afresh
    bool naturalVertical = false; // reverses the vertical mapping
    bool invertHorizontal = false;

    std::optional<ScrollIntent> consume(double deltaX, double deltaY, SwipePhase phase, Date now);
    // Forgets the stroke's travel and axis; the cool-down and idle timing stay.
    void reset();

    // The state does not matter: all state-dependent meaning lives in the state machine.
    static NotchEvent event(ScrollIntent intent, const NotchState& state);

private:
    enum class Axis { none, vertical, horizontal };

    double m_accumulatedX = 0;
    double m_accumulatedY = 0;
    std::optional<Date> m_lastFire;
    std::optional<Date> m_lastEvent;
    Axis m_lockedAxis = Axis::none;
};

} // namespace vesk
