#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <functional>

namespace vesk::test {

// How long a test waits for something that must happen. Generous: the suite runs in
// parallel on loaded machines, and a wait that holds is over as soon as it holds.
inline constexpr int patienceMs = 30000;

// Runs the main event loop until `done` holds or the time is up; returns `done()`.
// It sleeps between events, waking every few milliseconds to look at conditions that
// no event announces (a file, another process).
inline bool processEventsUntil(const std::function<bool()>& done, int timeoutMs = patienceMs) {
    QDeadlineTimer deadline(timeoutMs);
    QTimer tick;
    tick.start(5);
    while (!done()) {
        if (deadline.hasExpired()) return done();
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

// Runs the main event loop for a while. Only for checking that something does NOT
// happen: a wait for something that must happen is processEventsUntil.
inline void processEventsFor(int ms) {
    QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(5);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace vesk::test
