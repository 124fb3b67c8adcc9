#include "support/HangWatchdog.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include <spawn.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vesk::test::hangWatchdog {

namespace {

using Clock = std::chrono::steady_clock;

// Never destroyed: exit() runs static destructors while the watchdog may still wait.
struct State {
    std::mutex mutex;
    std::condition_variable changed;
    std::chrono::duration<double> limit{defaultLimit};
    Clock::time_point deadline = Clock::time_point::max();
    char name[256] = "start-up";
};

State& state() {
    static State* instance = new State;
    return *instance;
}

void say(const std::string& text) {
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
}

// gdb in batch mode, attached to this process, writing to our standard error; bounded by
// `timeout` so a gdb that hangs too cannot keep the process past CTest's timeout.
void printEveryStack() {
    const std::string pid = std::to_string(::getpid());
    const char* const arguments[] = {
        "sh", "-c",
        "exec timeout -s KILL 25 gdb -p $0 -batch -nx -iex 'set debuginfod enabled off' "
        "-ex 'thread apply all bt'",
        pid.c_str(), nullptr};
    // Where Yama restricts tracing to ancestors, the child may attach all the same.
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    posix_spawn_file_actions_t toStandardError;
    posix_spawn_file_actions_init(&toStandardError);
    posix_spawn_file_actions_adddup2(&toStandardError, STDERR_FILENO, STDOUT_FILENO);
    pid_t child = 0;
    const int failed = ::posix_spawnp(&child, arguments[0], &toStandardError, nullptr,
                                      const_cast<char* const*>(arguments), environ);
    posix_spawn_file_actions_destroy(&toStandardError);
    int exited = 0;
    if (failed != 0 || ::waitpid(child, &exited, 0) != child || !WIFEXITED(exited) ||
        WEXITSTATUS(exited) != 0)
        say("test watchdog: gdb could not print the stacks\n");
}

void watch() {
    State& s = state();
    std::unique_lock lock(s.mutex);
    while (Clock::now() < s.deadline)
        s.changed.wait_until(lock, s.deadline);
    say("test watchdog: " + std::string(s.name) + " made no progress for " +
        std::to_string(int(s.limit.count())) + " s; the stack of every thread follows\n");
    printEveryStack();
    say("test watchdog: ended the process\n");
    ::_exit(status);
}

} // namespace

void start() {
    State& s = state();
    if (const char* text = std::getenv("VESK_TEST_HANG_LIMIT"); text && std::atof(text) > 0)
        s.limit = std::chrono::duration<double>(std::atof(text));
    rearm("start-up");
    std::thread(watch).detach();
}

void rearm(const char* name) {
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(s.limit);
    std::snprintf(s.name, sizeof s.name, "%s", name);
    s.changed.notify_all();
}

} // namespace vesk::test::hangWatchdog
