#include "Vesk/Shell/ExitWatchdog.h"
#include "Vesk/Shell/SingleInstanceLock.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>
#include <unistd.h>

namespace vesk::exitWatchdog {

namespace {

using Clock = std::chrono::steady_clock;

// Never destroyed: exit() runs static destructors while the watchdog may still wait.
struct State {
    std::mutex mutex;
    std::condition_variable changed;
    bool running = false;
    Clock::time_point deadline = Clock::time_point::max();
    const char* message = "";
    int status = 1;
};

State& state() {
    static State* instance = new State;
    return *instance;
}

void watch() {
    State& s = state();
    std::unique_lock lock(s.mutex);
    while (Clock::now() < s.deadline)
        s.changed.wait_until(lock, s.deadline);
    const std::size_t length = std::strlen(s.message);
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, s.message, length);
    SingleInstanceLock::releaseHeld();
    ::_exit(s.status);
}

} // namespace

void arm(double seconds, const char* message, int status) {
    State& s = state();
    const auto deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    std::lock_guard lock(s.mutex);
    if (deadline >= s.deadline) return;
    s.deadline = deadline;
    s.message = message;
    s.status = status;
    if (!s.running) {
        s.running = true;
        std::thread(watch).detach();
    }
    s.changed.notify_all();
}

} // namespace vesk::exitWatchdog
