#pragma once

#include <optional>

namespace vesk {

// Raw device units for a requested level 0...1. Backlights often have only a handful of
// levels (keyboards 2 or 3, some panels 7 to 15), so the request is rounded away from the
// current raw value: a step up or down always moves at least one unit unless at a limit.
// Without a current value the request is rounded to the nearest unit. Not-a-number reads
// as 0; the result lies in 0...maxRaw.
int rawForLevel(double level, std::optional<int> currentRaw, int maxRaw);

// Whether a level moved far enough from the last one published to publish it: by more
// than 0.004 (a change of exactly 0.004 counts as none, whatever the rounding of the
// fractions), or to another whole percentage as shown. Small drifts, such as
// ambient-light adjustment, are not news.
bool movedEnough(double level, double lastLevel);

// A level reading counts only when it is a finite fraction 0...1.
std::optional<double> validLevel(std::optional<double> reading);

} // namespace vesk
