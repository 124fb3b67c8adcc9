#include "VeskKit/Notch/NotchStateMachine.h"

namespace vesk {

namespace {

using Kind = NotchState::Kind;
using Event = NotchEvent::Kind;

} // namespace

NotchEffects NotchStateMachine::apply(const NotchEvent& event) {
    const NotchState old = m_state;
    Transition result = transition(event);
    if (result.next) m_state = std::move(*result.next);
    if (m_state != old && (m_state.isOpen() || old.isOpen())) result.effects.append(NotchEffect::haptic());
    return result.effects;
}

NotchStateMachine::Transition NotchStateMachine::transition(const NotchEvent& event) {
    const Kind state = m_state.kind();
    const NotchStateGuards& g = m_guards;
    const auto openDesk = [] {
        return Transition{NotchState::open(DeskTab::desk), {NotchEffect::openDesk(DeskTab::desk)}};
    };
    const auto closeReleasingFocus = [] {
        return Transition{NotchState::closed(), {NotchEffect::requestKeyboardFocus(false)}};
    };
    const Transition unchanged{};

    switch (event.kind()) {
    case Event::activityArrived:
        if (state == Kind::open || state == Kind::dropTarget) return unchanged;
        return {NotchState::activity(*event.payload()), {}};

    case Event::selectTab:
        if (state == Kind::open) return {NotchState::open(*event.tab()), {}};
        return unchanged;

    case Event::hoverBegan:
        if (state == Kind::activity) {
            if (g.quickPeekEnabled || g.interactiveActivities)
                return {NotchState::activityExpanded(*m_state.payload()), {}};
            return unchanged;
        }
        if (state == Kind::closed) {
            if (g.lockWhileTyping && g.isTyping) return unchanged;
            if (g.expandOnHover || g.alwaysOpenOnHover) return openDesk();
        }
        return unchanged;

    case Event::hoverEnded:
        switch (state) {
        case Kind::peek:
            return {NotchState::closed(), {}};
        case Kind::activityExpanded:
            return {NotchState::activity(*m_state.payload()), {}};
        case Kind::open:
            if (g.preventCloseOnMouseLeave || g.alwaysOpenOnHover) return unchanged;
            return closeReleasingFocus();
        default:
            return unchanged;
        }

    case Event::click:
        if (state == Kind::activity || state == Kind::activityExpanded)
            return g.interactiveActivities ? openDesk() : unchanged;
        if (state == Kind::closed) return openDesk();
        return unchanged;

    case Event::swipeDown:
        if (state == Kind::hidden) return {NotchState::closed(), {}};
        if (state == Kind::activityExpanded || state == Kind::closed)
            return g.swipeToToggleOpen ? openDesk() : unchanged;
        return unchanged;

    case Event::swipeUp:
        switch (state) {
        case Kind::activity:
        case Kind::activityExpanded:
            if (g.swipeToDismissActivity) return {NotchState::closed(), {NotchEffect::dismissActivity()}};
            return unchanged;
        case Kind::open:
            return closeReleasingFocus();
        case Kind::closed:
            return g.swipeToToggleOpen ? Transition{NotchState::hidden(), {}} : unchanged;
        default:
            return unchanged;
        }

    case Event::swipeLeft:
    case Event::swipeRight: {
        const bool forward = event.kind() == Event::swipeLeft;
        const NotchEffect skip = forward ? NotchEffect::mediaNext() : NotchEffect::mediaPrevious();
        if (state == Kind::activity || state == Kind::activityExpanded) {
            if (g.swipeToCycleActivity) return {std::nullopt, {NotchEffect::cycleActivity(forward)}};
            if (g.swipeToSkipMedia) return {std::nullopt, {skip}};
            return unchanged;
        }
        if (state == Kind::open || state == Kind::closed)
            return g.swipeToSkipMedia ? Transition{std::nullopt, {skip}} : unchanged;
        return unchanged;
    }

    case Event::dragEntered:
        if (state == Kind::activity || state == Kind::activityExpanded || state == Kind::open ||
            state == Kind::closed) {
            m_stateBeforeDrag = m_state;
            return {NotchState::dropTarget(), {}};
        }
        return unchanged;

    case Event::dragExited:
        if (state == Kind::dropTarget) {
            NotchState restored = m_stateBeforeDrag.value_or(NotchState::closed());
            m_stateBeforeDrag.reset();
            return {std::move(restored), {}};
        }
        return unchanged;

    case Event::dropped:
        if (state == Kind::dropTarget) {
            m_stateBeforeDrag.reset();
            return {NotchState::open(DeskTab::tray), {NotchEffect::openDesk(DeskTab::tray)}};
        }
        return unchanged;

    case Event::escape:
        if (state == Kind::open) return closeReleasingFocus();
        return unchanged;

    case Event::activityTimedOut:
        if (state == Kind::peek) return {NotchState::closed(), {}};
        if (state == Kind::activity || state == Kind::activityExpanded)
            return g.demoMode ? unchanged : Transition{NotchState::closed(), {}};
        return unchanged;

    case Event::activityQueueDrained:
        return unchanged;

    case Event::toggleHidden:
        if (state == Kind::hidden) return {NotchState::closed(), {}};
        return {NotchState::hidden(), {}};

    case Event::forceClose:
        return closeReleasingFocus();
    }
    return unchanged;
}

} // namespace vesk
