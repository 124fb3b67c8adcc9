#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskKit/Notch/DeskTab.h"

#include <optional>
#include <variant>

namespace vesk {

// The one state the notch is in. Equality compares the case and its associated value,
// payloads by full equality.
class NotchState {
public:
    enum class Kind {
        peek,             // the activity in its smallest, peeking form
        activity,         // the activity pill
        activityExpanded, // the enlarged activity pill
        open,             // the desk is open on a tab
        hidden,           // the notch is hidden away
        closed,           // the plain notch
        dropTarget,       // a file drag is over the notch
    };

    // The plain notch.
    NotchState() = default;

    static NotchState peek(ActivityPayload payload) { return NotchState(Kind::peek, std::move(payload)); }
    static NotchState activity(ActivityPayload payload) {
        return NotchState(Kind::activity, std::move(payload));
    }
    static NotchState activityExpanded(ActivityPayload payload) {
        return NotchState(Kind::activityExpanded, std::move(payload));
    }
    static NotchState open(DeskTab tab) { return NotchState(Kind::open, tab); }
    static NotchState hidden() { return NotchState(Kind::hidden, std::monostate{}); }
    static NotchState closed() { return {}; }
    static NotchState dropTarget() { return NotchState(Kind::dropTarget, std::monostate{}); }

    Kind kind() const { return m_kind; }

    bool isOpen() const { return m_kind == Kind::open; }
    bool isPresentingActivity() const {
        return m_kind == Kind::peek || m_kind == Kind::activity || m_kind == Kind::activityExpanded;
    }
    // The payload of peek, activity and activityExpanded.
    std::optional<ActivityPayload> payload() const {
        if (const auto* p = std::get_if<ActivityPayload>(&m_value)) return *p;
        return std::nullopt;
    }
    // The tab of open.
    std::optional<DeskTab> tab() const {
        if (const auto* t = std::get_if<DeskTab>(&m_value)) return *t;
        return std::nullopt;
    }

    friend bool operator==(const NotchState&, const NotchState&) = default;

private:
    using Value = std::variant<std::monostate, ActivityPayload, DeskTab>;

    NotchState(Kind kind, Value value) : m_kind(kind), m_value(std::move(value)) {}

    Kind m_kind = Kind::closed;
    Value m_value;
};

} // namespace vesk
