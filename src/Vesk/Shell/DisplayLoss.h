#pragma once

#include <functional>

namespace vesk {

// Turns the loss of the X display into the program's own ending. When the server goes
// away, Qt's X connection calls exit(1) from inside the event loop, and Xlib does the
// same on an I/O error: exit() would then destroy static objects while other threads
// still serve them, and wait for threads that never answer. Instead, on a loss: one line
// on standard error (and in the trace), `onLost` on the main thread to stop what can be
// stopped without a display, then the process ends with status 1; it ends within
// `patience` seconds whatever onLost waits for.
namespace displayLoss {

// Before the application is made: a display that cannot be reached while Qt connects
// to it, or that goes away before install(), ends the program the same way (Qt would
// abort, Xlib would exit() with a note of its own), and Qt's own notes about a display
// it cannot reach or lost give way to the one line of ours. From then on a write to a
// vanished server fails rather than ending the process with SIGPIPE.
void watchStartUp();
// Main thread, once the application exists.
void install(std::function<void()> onLost, double patience);
// Main thread, once the event loop has returned: a normal end is no loss.
void uninstall();

} // namespace displayLoss

} // namespace vesk
