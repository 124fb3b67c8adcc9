#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace vesk {

// One countdown of the desk's timer widget. Running: `startedAt` is set (the moment it
// would have started had it never been paused); paused: `pausedRemaining` is set;
// neither: not started yet, with `total` left.
struct VeskTimer {
    QUuid id;
    QString label;
    double total = 0; // seconds
    std::optional<Date> startedAt;
    std::optional<double> pausedRemaining; // seconds

    bool isRunning() const { return startedAt.has_value(); }
    // Seconds left at `date`, never below 0.
    double remaining(Date date) const;
    bool hasFinished(Date date) const { return isRunning() && remaining(date) <= 0; }
    // The fraction used at `now`, 0 to 1; 0 for a timer without length.
    double progress(Date now) const;

    friend bool operator==(const VeskTimer&, const VeskTimer&) = default;
};

} // namespace vesk
