#include "VeskKit/Foundation/StepLevel.h"

#include <cmath>

namespace vesk {

double levelForSteps(std::int64_t steps, std::int64_t stepsPerFull) {
    if (stepsPerFull <= 0) return 0;
    return static_cast<double>(steps) / static_cast<double>(stepsPerFull);
}

std::int64_t percentValue(double level) {
    const double hundredfold = level * 100;
    if (!std::isfinite(hundredfold) || std::abs(hundredfold) >= 9.0e15) return 0;
    return static_cast<std::int64_t>(std::round(hundredfold + std::copysign(1e-9, hundredfold)));
}

} // namespace vesk
