#pragma once

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/Scheduler.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

namespace vesk::test {

// A clock that only moves when told to.
class ManualClock final : public ClockSource {
public:
    explicit ManualClock(Date start = Date{800000000.0}) : m_now(start) {}
    Date now() const override { return m_now.load(); }
    void set(Date date) { m_now.store(date); }
    void advance(double seconds) {
        Date moved = m_now.load();
        moved += seconds;
        m_now.store(moved);
    }

private:
    // Read by work that other threads post through the scheduler.
    std::atomic<Date> m_now;
};

// Virtual time: work runs only inside advance(), in time order (ties in the order it
// was posted), with the clock set to each item's due time as it runs. Work may be
// posted from any thread (the code under test answers its worker threads through the
// main scheduler); it still runs only inside advance(), on the test's thread.
class ManualScheduler final : public Scheduler {
public:
    explicit ManualScheduler(Date start = Date{800000000.0}) : m_clock(start) {}

    ManualClock& clock() { return m_clock; }
    Date now() const { return m_clock.now(); }

    void post(std::function<void()> fn) override;
    TaskHandle postAfter(double seconds, std::function<void()> fn) override;
    TaskHandle postRepeating(double interval, std::function<void()> fn) override;
    bool isCurrent() const override { return true; }

    // Runs everything due within `seconds` from now, then moves the clock there.
    void advance(double seconds);
    // Runs what is due now.
    void runPending() { advance(0); }
    // Items waiting that are not cancelled.
    int pendingCount() const;

private:
    struct Item {
        Date due;
        quint64 sequence;
        double interval; // 0 for one-shot work
        std::function<void()> fn;
        TaskHandle handle;
    };
    void schedule(Date due, double interval, std::function<void()> fn, TaskHandle handle);

    ManualClock m_clock;
    mutable std::mutex m_mutex;
    std::vector<Item> m_items;
    quint64 m_sequence = 0;
};

// Installs a manual scheduler as the main scheduler for the lifetime of the guard.
class ScopedMainScheduler {
public:
    explicit ScopedMainScheduler(ManualScheduler& scheduler) { setMainScheduler(&scheduler); }
    ~ScopedMainScheduler() { setMainScheduler(nullptr); }
    ScopedMainScheduler(const ScopedMainScheduler&) = delete;
    ScopedMainScheduler& operator=(const ScopedMainScheduler&) = delete;
};

} // namespace vesk::test
