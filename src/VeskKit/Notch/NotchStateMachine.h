#pragma once

#include "VeskKit/Notch/NotchEffect.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Notch/NotchState.h"
#include "VeskKit/Notch/NotchStateGuards.h"

#include <optional>

namespace vesk {

// The notch's transition function. apply() changes the state for one event under the
// current guards and returns the effects the surface must perform; it performs none.
class NotchStateMachine {
public:
    explicit NotchStateMachine(NotchState state = NotchState::closed(), NotchStateGuards guards = {})
        : m_state(std::move(state)), m_guards(guards) {}

    const NotchState& state() const { return m_state; }

    const NotchStateGuards& guards() const { return m_guards; }
    void setGuards(const NotchStateGuards& guards) { m_guards = guards; }

    NotchEffects apply(const NotchEvent& event);

private:
    struct Transition {
        std::optional<NotchState> next; // absent: the state stays as it is
        NotchEffects effects;
    };
    Transition transition(const NotchEvent& event);

    NotchState m_state;
    NotchStateGuards m_guards;
    // The state to return to when a drag leaves without dropping.
    std::optional<NotchState> m_stateBeforeDrag;
};

} // namespace vesk
