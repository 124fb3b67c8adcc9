#pragma once

namespace vesk {

// One discrete swipe recognised from a scroll stroke.
enum class ScrollIntent { up, down, left, right };

} // namespace vesk
