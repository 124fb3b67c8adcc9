#pragma once

#include <QtGlobal>

namespace vesk {

// The screen was locked or unlocked.
enum class ScreenLockEvent { locked, unlocked };

inline size_t qHash(ScreenLockEvent event, size_t seed = 0) noexcept {
    return ::qHash(static_cast<int>(event), seed);
}

} // namespace vesk
