#include "VeskKit/Foundation/StepLevel.h"

#include <cmath>

namespace vesk {

double levelForSteps(std::int64_t steps, std::int64_t stepsPerFull) {
    if (stepsPerFull <= 0) return 0;
    const double full = static_cast<double>(stepsPerFull);
    const double exact = static_cast<double>(steps) / full;
    const double percent = std::round(exact * 100);
    // Measured in hundredths of a step, so the comparison is exact in integers.
    const double hundredthsAway = std::abs(percent * full - 100.0 * static_cast<double>(steps));
    return hundredthsAway <= 100.0 ? percent / 100 : exact;
}

} // namespace vesk
