#include "VeskPlatform/Display/BacklightLevels.h"

#include "VeskKit/Foundation/StepLevel.h"

#include <algorithm>
#include <cmath>

namespace vesk {

int rawForLevel(double level, std::optional<int> currentRaw, int maxRaw) {
    if (maxRaw <= 0) return 0;
    if (std::isnan(level)) level = 0;
    level = std::clamp(level, 0.0, 1.0);
    const double exact = level * maxRaw;
    // Fractions read back from raw units carry rounding noise; within it the request
    // means "stay where you are".
    constexpr double noise = 1e-6;
    if (!currentRaw) return std::clamp(static_cast<int>(std::lround(exact)), 0, maxRaw);
    // Requests are steps from the level read for the current value, which may be the whole
    // percentage near it rather than its exact fraction: either one asks for the current
    // value, and the way to go is decided against both.
    const double exactNow = static_cast<double>(*currentRaw) / maxRaw;
    const double shown = levelForSteps(*currentRaw, maxRaw);
    int raw = *currentRaw;
    if (level > std::max(exactNow, shown) + noise)
        raw = std::max(*currentRaw + 1, static_cast<int>(std::ceil(exact - noise)));
    else if (level < std::min(exactNow, shown) - noise)
        raw = std::min(*currentRaw - 1, static_cast<int>(std::floor(exact + noise)));
    return std::clamp(raw, 0, maxRaw);
}

bool movedEnough(double level, double lastLevel) {
    constexpr double threshold = 0.004;
    constexpr double rounding = 1e-12;
    return std::abs(level - lastLevel) > threshold + rounding;
}

std::optional<double> validLevel(std::optional<double> reading) {
    if (!reading || !std::isfinite(*reading) || *reading < 0 || *reading > 1) return std::nullopt;
    return reading;
}

} // namespace vesk
