#pragma once

namespace vesk::test {

// Ends a test process that hangs before CTest's timeout does, and says where it hangs:
// past its limit it prints the stack of every thread (gdb, attached to this process) to
// standard error, then ends the process with `status`. The limit counts from start()
// and again from each rearm(); VESK_TEST_HANG_LIMIT (seconds) sets it, else
// defaultLimit. Safe from any thread, also while exit() runs.
namespace hangWatchdog {

// Below CTest's per-test timeout of 120 s (the plain executables'; X11 ones have 180 s):
// gdb then has up to 25 s to walk every thread of a sanitized process under load, and the
// process still ends before CTest kills it without a word.
constexpr double defaultLimit = 80;
constexpr int status = 3;

void start();
// A fresh limit from now, for the work `name` names in the report.
void rearm(const char* name);

} // namespace hangWatchdog

} // namespace vesk::test
