#include "VeskKit/Gestures/ScrollGestureRecognizer.h"

#include <algorithm>
#include <cmath>

namespace vesk {

std::optional<ScrollIntent> ScrollGestureRecognizer::consume(double deltaX, double deltaY, SwipePhase phase,
                                                             Date now) {
    if (m_lastEvent && now - *m_lastEvent > idleReset) reset();
    m_lastEvent = now;

    switch (phase) {
    case SwipePhase::began:
        reset();
        break;
    case SwipePhase::ended:
    case SwipePhase::cancelled:
        reset();
        return std::nullopt;
    case SwipePhase::changed:
    case SwipePhase::none:
        break;
    }

    m_accumulatedX += deltaX;
    m_accumulatedY += deltaY;
    const double travelX = std::abs(m_accumulatedX);
    const double travelY = std::abs(m_accumulatedY);

    // Lock early, at a third of the threshold; a tie goes to the vertical axis.
    if (m_lockedAxis == Axis::none && std::max(travelX, travelY) >= threshold / 3)
        m_lockedAxis = travelX <= travelY ? Axis::vertical : Axis::horizontal;

    if (m_lastFire && now - *m_lastFire < cooldown) return std::nullopt;

    std::optional<ScrollIntent> intent;
    switch (m_lockedAxis) {
    case Axis::none:
        return std::nullopt;
    case Axis::vertical:
        if (travelY < threshold) return std::nullopt;
        if (naturalVertical)
            intent = m_accumulatedY < 0 ? ScrollIntent::down : ScrollIntent::up;
        else
            intent = m_accumulatedY > 0 ? ScrollIntent::down : ScrollIntent::up;
        break;
    case Axis::horizontal:
        if (travelX < threshold) return std::nullopt;
        if (invertHorizontal)
            intent = m_accumulatedX > 0 ? ScrollIntent::left : ScrollIntent::right;
        else
            intent = m_accumulatedX < 0 ? ScrollIntent::left : ScrollIntent::right;
        break;
    }

    m_lastFire = now;
    m_accumulatedX = 0;
    m_accumulatedY = 0;
    return intent;
}

void ScrollGestureRecognizer::reset() {
    m_accumulatedX = 0;
    m_accumulatedY = 0;
    m_lockedAxis = Axis::none;
}

NotchEvent ScrollGestureRecognizer::event(ScrollIntent intent, const NotchState&) {
    switch (intent) {
    case ScrollIntent::up:
        return NotchEvent::swipeUp();
    case ScrollIntent::down:
        return NotchEvent::swipeDown();
    case ScrollIntent::left:
        return NotchEvent::swipeLeft();
    case ScrollIntent::right:
        return NotchEvent::swipeRight();
    }
    return NotchEvent::swipeUp();
}

} // namespace vesk
