#pragma once

namespace vesk {

// A bound on how long the program takes to end, whatever it waits for: once armed, the
// process ends with `status` after `seconds` unless it has ended by then, printing
// `message` (a line for standard error) as it does. Arming again only
// ever brings the deadline closer. Safe from any thread, also while exit() runs.
namespace exitWatchdog {

void arm(double seconds, const char* message, int status);

} // namespace exitWatchdog

} // namespace vesk
