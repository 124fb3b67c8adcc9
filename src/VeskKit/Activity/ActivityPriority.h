#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

namespace vesk {

// How the coordinator schedules an activity. Ordered by raw value, which is what is
// encoded: ambient < queued < interrupt (the built-in comparisons of the enumeration).
enum class ActivityPriority : int {
    ambient = 0,   // shown only when nothing else is (now playing)
    queued = 1,    // waits its turn behind the current activity
    interrupt = 2, // shown at once, pushing aside whatever is current
};

inline constexpr std::array<ActivityPriority, 3> allActivityPriorities{
    ActivityPriority::ambient, ActivityPriority::queued, ActivityPriority::interrupt};

constexpr int toRaw(ActivityPriority priority) {
    return static_cast<int>(priority);
}

constexpr std::optional<ActivityPriority> activityPriorityFromRaw(int raw) {
    if (raw < 0 || raw > 2) return std::nullopt;
    return static_cast<ActivityPriority>(raw);
}

inline size_t qHash(ActivityPriority priority, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(priority), seed);
}

} // namespace vesk
