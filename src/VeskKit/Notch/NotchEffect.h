#pragma once

#include "VeskKit/Notch/DeskTab.h"

#include <QList>

#include <variant>

namespace vesk {

// What the state machine asks the surface to do after a transition.
class NotchEffect {
public:
    enum class Kind {
        cycleActivity,        // forward()
        openDesk,             // tab()
        requestKeyboardFocus, // focus()
        mediaNext,
        mediaPrevious,
        dismissActivity,
        haptic,
    };

    static NotchEffect cycleActivity(bool forward) { return NotchEffect(Kind::cycleActivity, forward); }
    static NotchEffect openDesk(DeskTab tab) { return NotchEffect(Kind::openDesk, tab); }
    static NotchEffect requestKeyboardFocus(bool focus) {
        return NotchEffect(Kind::requestKeyboardFocus, focus);
    }
    static NotchEffect mediaNext() { return NotchEffect(Kind::mediaNext); }
    static NotchEffect mediaPrevious() { return NotchEffect(Kind::mediaPrevious); }
    static NotchEffect dismissActivity() { return NotchEffect(Kind::dismissActivity); }
    static NotchEffect haptic() { return NotchEffect(Kind::haptic); }

    Kind kind() const { return m_kind; }

    // The direction of cycleActivity; false for the other cases.
    bool forward() const { return m_kind == Kind::cycleActivity && std::get<bool>(m_value); }
    // The Bool of requestKeyboardFocus; false for the other cases.
    bool focus() const { return m_kind == Kind::requestKeyboardFocus && std::get<bool>(m_value); }
    // The tab of openDesk; desk for the other cases.
    DeskTab tab() const {
        if (const auto* t = std::get_if<DeskTab>(&m_value)) return *t;
        return DeskTab::desk;
    }

    friend bool operator==(const NotchEffect&, const NotchEffect&) = default;

private:
    using Value = std::variant<std::monostate, bool, DeskTab>;

    explicit NotchEffect(Kind kind, Value value = std::monostate{}) : m_kind(kind), m_value(value) {}

    Kind m_kind;
    Value m_value;
};

using NotchEffects = QList<NotchEffect>;

} // namespace vesk
