#include "VeskServices/Timers/VeskTimer.h"

#include <algorithm>
#include <cmath>

namespace vesk {

double VeskTimer::remaining(Date date) const {
    if (startedAt) {
        const double left = total - (date - *startedAt);
        return std::isfinite(left) ? std::max(left, 0.0) : 0.0;
    }
    return pausedRemaining.value_or(total);
}

double VeskTimer::progress(Date now) const {
    if (!(total > 0)) return 0;
    return std::clamp(1 - remaining(now) / total, 0.0, 1.0);
}

} // namespace vesk
