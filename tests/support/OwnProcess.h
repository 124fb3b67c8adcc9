#pragma once

namespace vesk::test {

// For a test that needs a process no other test ran in before it: GLib reads the XDG
// folders and GSettings its schemas once per process, and a process-wide object binds
// to the bus it first sees. Called first in the test: true when the test is the only
// one this process runs (as under CTest), and it goes on; otherwise this test runs
// again alone in a new process, fails when it fails there, and the call is false:
//     if (!test::runsInOwnProcess()) return;
bool runsInOwnProcess();

} // namespace vesk::test
