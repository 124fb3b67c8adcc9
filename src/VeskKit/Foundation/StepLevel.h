#pragma once

#include <cstdint>

namespace vesk {

// A level kept in whole device steps (a backlight's raw units, the sound server's volume
// units): the exact fraction `steps` / `stepsPerFull`. It is never snapped to a
// percentage, so a level read and written back asks for the step it came from, and a
// key step from it reaches the ends. Nothing above 1 is clamped here; a range of 0 or
// less reads 0.
double levelForSteps(std::int64_t steps, std::int64_t stepsPerFull);

// The whole percentage a level reads as wherever it is shown: the nearest one, halves
// away from zero, as the desktop's own tools print levels (pactl stores 35 % as 22937 of
// 65536, 34.999 %, and prints 35 %). A nudge of 1e-9 keeps a half that binary doubles
// put a hair under it (0.285 × 100 is 28.499999999999996) a half; no level of a device
// with fewer than a million steps lies that close to a half without being one. A level
// that is not finite, or too large for the result, reads 0.
std::int64_t percentValue(double level);

} // namespace vesk
