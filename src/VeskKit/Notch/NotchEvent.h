#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskKit/Notch/DeskTab.h"

#include <array>
#include <optional>
#include <variant>

namespace vesk {

// One input to the notch state machine.
class NotchEvent {
public:
    enum class Kind {
        activityArrived, // carries the payload
        selectTab,       // carries the tab
        hoverBegan,
        hoverEnded,
        click,
        swipeDown,
        swipeUp,
        swipeLeft,
        swipeRight,
        dragEntered,
        dragExited,
        dropped,
        escape,
        activityTimedOut,
        activityQueueDrained,
        toggleHidden,
        forceClose,
    };
    static constexpr std::array<Kind, 17> allKinds{
        Kind::activityArrived,
        Kind::selectTab,
        Kind::hoverBegan,
        Kind::hoverEnded,
        Kind::click,
        Kind::swipeDown,
        Kind::swipeUp,
        Kind::swipeLeft,
        Kind::swipeRight,
        Kind::dragEntered,
        Kind::dragExited,
        Kind::dropped,
        Kind::escape,
        Kind::activityTimedOut,
        Kind::activityQueueDrained,
        Kind::toggleHidden,
        Kind::forceClose,
    };

    static NotchEvent activityArrived(ActivityPayload payload) {
        return NotchEvent(Kind::activityArrived, std::move(payload));
    }
    static NotchEvent selectTab(DeskTab tab) { return NotchEvent(Kind::selectTab, tab); }
    static NotchEvent hoverBegan() { return NotchEvent(Kind::hoverBegan); }
    static NotchEvent hoverEnded() { return NotchEvent(Kind::hoverEnded); }
    static NotchEvent click() { return NotchEvent(Kind::click); }
    static NotchEvent swipeDown() { return NotchEvent(Kind::swipeDown); }
    static NotchEvent swipeUp() { return NotchEvent(Kind::swipeUp); }
    static NotchEvent swipeLeft() { return NotchEvent(Kind::swipeLeft); }
    static NotchEvent swipeRight() { return NotchEvent(Kind::swipeRight); }
    static NotchEvent dragEntered() { return NotchEvent(Kind::dragEntered); }
    static NotchEvent dragExited() { return NotchEvent(Kind::dragExited); }
    static NotchEvent dropped() { return NotchEvent(Kind::dropped); }
    static NotchEvent escape() { return NotchEvent(Kind::escape); }
    static NotchEvent activityTimedOut() { return NotchEvent(Kind::activityTimedOut); }
    static NotchEvent activityQueueDrained() { return NotchEvent(Kind::activityQueueDrained); }
    static NotchEvent toggleHidden() { return NotchEvent(Kind::toggleHidden); }
    static NotchEvent forceClose() { return NotchEvent(Kind::forceClose); }

    Kind kind() const { return m_kind; }

    // The payload of activityArrived.
    std::optional<ActivityPayload> payload() const {
        if (const auto* p = std::get_if<ActivityPayload>(&m_value)) return *p;
        return std::nullopt;
    }
    // The tab of selectTab.
    std::optional<DeskTab> tab() const {
        if (const auto* t = std::get_if<DeskTab>(&m_value)) return *t;
        return std::nullopt;
    }

    friend bool operator==(const NotchEvent&, const NotchEvent&) = default;

private:
    using Value = std::variant<std::monostate, ActivityPayload, DeskTab>;

    explicit NotchEvent(Kind kind, Value value = std::monostate{})
        : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind;
    Value m_value;
};

} // namespace vesk
