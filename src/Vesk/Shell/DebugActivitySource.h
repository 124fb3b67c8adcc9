#pragma once

#include "VeskKit/Activity/ActivityPayload.h"

namespace vesk {

// A ready-made activity of every kind, for seeing how each one looks in the notch
// without producing the real event.
namespace DebugActivitySource {

// A fresh id, no interaction, created at `now`.
ActivityPayload make(ActivityKind kind, Date now);

} // namespace DebugActivitySource

} // namespace vesk
