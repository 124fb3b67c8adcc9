#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace vesk {

// Handle to scheduled work. Cancelling is thread-safe and idempotent; cancelled work
// never runs. A default-constructed handle refers to nothing.
class TaskHandle {
public:
    TaskHandle() = default;
    static TaskHandle make();

    void cancel() const;
    bool isCancelled() const;
    bool isValid() const { return static_cast<bool>(m_state); }

    // Called once, on the cancelling thread, when the handle is cancelled (for
    // schedulers that can release resources early, like a repeating timer).
    void setOnCancel(std::function<void()> onCancel) const;

private:
    struct State {
        std::atomic<bool> cancelled{false};
        std::mutex mutex;
        std::function<void()> onCancel;
    };
    std::shared_ptr<State> m_state;
};

// Where work runs: the main thread, a serial queue's thread, or virtual time in tests.
class Scheduler {
public:
    virtual ~Scheduler() = default;
    // Runs fn soon, after work posted before it.
    virtual void post(std::function<void()> fn) = 0;
    // Runs fn once after `seconds`, unless cancelled first.
    virtual TaskHandle postAfter(double seconds, std::function<void()> fn) = 0;
    // Runs fn every `interval` seconds until cancelled. A repeat may run up to 5 % of its
    // interval early or late, so repeats of one program (and of others) share wake-ups.
    virtual TaskHandle postRepeating(double interval, std::function<void()> fn) = 0;
    // True when the calling thread is the one this scheduler runs work on.
    virtual bool isCurrent() const = 0;
};

// Runs work on the thread of a QObject through its event loop and QTimers.
class QtScheduler final : public Scheduler {
public:
    explicit QtScheduler(QObject* context);
    void post(std::function<void()> fn) override;
    TaskHandle postAfter(double seconds, std::function<void()> fn) override;
    TaskHandle postRepeating(double interval, std::function<void()> fn) override;
    bool isCurrent() const override;

private:
    void onContextThread(std::function<void()> fn);
    QPointer<QObject> m_context;
};

// The main thread's scheduler. Tests install a manual one with setMainScheduler and
// restore the real one by passing nullptr.
Scheduler& mainScheduler();
void setMainScheduler(Scheduler* scheduler);

inline void onMain(std::function<void()> fn) {
    mainScheduler().post(std::move(fn));
}
inline TaskHandle onMainAfter(double seconds, std::function<void()> fn) {
    return mainScheduler().postAfter(seconds, std::move(fn));
}

} // namespace vesk
