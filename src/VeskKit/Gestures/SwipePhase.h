#pragma once

namespace vesk {

// The phase of one scroll delta; `none` is a delta without a gesture phase, as from a
// mouse wheel or momentum scrolling.
enum class SwipePhase { began, changed, ended, cancelled, none };

} // namespace vesk
