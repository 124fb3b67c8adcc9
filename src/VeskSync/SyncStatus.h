#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/RawEnum.h"

#include <QString>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

// Why the store does not sync; the raw value is the text shown.
enum class SyncUnavailability { signedOut, restricted, disabled, quotaExceeded, containerUnavailable };

template <> struct RawEnumTable<SyncUnavailability> {
    static constexpr std::array<std::pair<SyncUnavailability, std::string_view>, 5> entries{{
        {SyncUnavailability::signedOut, "Not signed in to the cloud"},
        {SyncUnavailability::restricted, "Cloud sync is restricted on this computer"},
        {SyncUnavailability::disabled, "Turned off in Vesk's settings"},
        {SyncUnavailability::quotaExceeded, "Your cloud storage is full"},
        {SyncUnavailability::containerUnavailable, "Couldn't reach the cloud"},
    }};
};

// What the synced store's cloud side is doing.
struct SyncStatus {
    enum class Kind { idle, unavailable, syncing };

    static SyncStatus idle(std::optional<Date> lastSync = std::nullopt) { return {Kind::idle, lastSync, {}}; }
    static SyncStatus unavailable(SyncUnavailability reason) {
        return {Kind::unavailable, std::nullopt, reason};
    }
    static SyncStatus syncing() { return {Kind::syncing, std::nullopt, {}}; }

    Kind kind = Kind::idle;
    std::optional<Date> lastSync; // idle only
    SyncUnavailability reason{};  // unavailable only

    bool isActive() const { return kind != Kind::unavailable; }
    // "Synced 5 min. ago", the reason's text, or "Syncing…", relative to `now`.
    QString summary(Date now = Date::now()) const;
    // The same, except where no cloud could be reached because the system has none: then
    // the cloud layer's own reason ("There is no private cloud database on this system.").
    QString summary(const std::optional<QString>& cloudReason, Date now = Date::now()) const;

    friend bool operator==(const SyncStatus& a, const SyncStatus& b) {
        if (a.kind != b.kind) return false;
        if (a.kind == Kind::idle) return a.lastSync == b.lastSync;
        return a.kind != Kind::unavailable || a.reason == b.reason;
    }
};

// `date` relative to `now` in the current locale's short numeric form ("5 min. ago",
// "in 2 days"), in the largest calendar unit whose count is not 0.
QString relativeDateText(Date date, Date now);

} // namespace vesk
