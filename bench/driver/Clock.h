#pragma once

#include <QtGlobal>

#include <functional>

namespace vesk::bench {

// CLOCK_MONOTONIC in nanoseconds: the clock every helper stamps its lines with.
qint64 monotonicNs();

// Runs the event loop until `done` answers true or `timeoutMs` pass; returns `done()`.
// `done` is asked again every `pollMs` and whenever the loop wakes.
bool waitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs = 20);
// Runs the event loop for `ms` without asking anything (helpers' output is still read).
void pause(int ms);

} // namespace vesk::bench
