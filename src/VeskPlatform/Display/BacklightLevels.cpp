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
    int raw;
    if (!currentRaw)
        raw = static_cast<int>(std::lround(exact));
    else if (exact > *currentRaw + noise)
        raw = static_cast<int>(std::ceil(exact - noise));
    else if (exact < *currentRaw - noise)
        raw = static_cast<int>(std::floor(exact + noise));
    else
        raw = *currentRaw;
    return std::clamp(raw, 0, maxRaw);
}

bool movedEnough(double level, double lastLevel) {
    constexpr double threshold = 0.004;
    constexpr double rounding = 1e-12;
    // One unit of a 255-level backlight is under the threshold, yet it can change the
    // percentage shown: the pill must not go on reading the one before.
    return std::abs(level - lastLevel) > threshold + rounding || percentValue(level) != percentValue(lastLevel);
}

std::optional<double> validLevel(std::optional<double> reading) {
    if (!reading || !std::isfinite(*reading) || *reading < 0 || *reading > 1) return std::nullopt;
    return reading;
}

} // namespace vesk
