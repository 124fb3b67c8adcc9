#pragma once

#include "VeskKit/Foundation/Date.h"

namespace vesk {

// Anything that tells the current date. Time-driven logic reads time only through
// one of these, so a fake clock makes it deterministic.
class ClockSource {
public:
    virtual ~ClockSource() = default;
    virtual Date now() const = 0;
};

// The wall clock.
struct SystemClock final : ClockSource {
    SystemClock() = default;
    Date now() const override { return Date::now(); }
};

} // namespace vesk
