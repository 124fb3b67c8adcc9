#pragma once

#include <cstdint>

namespace vesk {

// A level kept in whole device steps (a backlight's raw units, the sound server's volume
// units) as a fraction of `stepsPerFull`. Devices store a whole percentage p as the step
// nearest to, or just below, p of full, so the exact fraction often lies a hair under p
// and would read one percent low. A level within one step of a whole percentage reads as
// that percentage (the nearest one, for devices with few steps); a level further from any
// whole percentage is kept exact. Nothing above 1 is clamped here; a range of 0 or less
// reads 0.
double levelForSteps(std::int64_t steps, std::int64_t stepsPerFull);

} // namespace vesk
