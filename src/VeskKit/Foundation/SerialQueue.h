#pragma once

#include "VeskKit/Foundation/Scheduler.h"

#include <QDeadlineTimer>
#include <QString>

#include <functional>
#include <memory>

class QThread;

namespace vesk {

// One named worker thread running its own Qt event loop, so D-Bus calls, processes,
// socket notifiers and timers work on it. Work runs in the order it was handed in.
// A queue built over another scheduler (a manual one in tests) has no thread and runs
// everything through that scheduler instead.
class SerialQueue {
public:
    explicit SerialQueue(QString label, Scheduler* overrideScheduler = nullptr);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    const QString& label() const { return m_label; }

    void async(std::function<void()> fn);
    TaskHandle asyncAfter(double seconds, std::function<void()> fn);
    TaskHandle repeating(double interval, std::function<void()> fn);
    // Runs fn on the queue and waits for it; runs it directly when already on the queue.
    void sync(const std::function<void()>& fn);
    // The same for the last work of an owner that is going away: waits at most the stop
    // patience, so a task that never returns cannot hold up the ending for good. False
    // when the wait ran out; fn then never starts if it had not.
    bool finish(const std::function<void()>& fn);

    Scheduler& scheduler() { return *m_scheduler; }
    // The object that lives on the queue's thread, for QObjects that must be created
    // there; null for a queue over another scheduler.
    QObject* context() const { return m_context; }
    bool isCurrent() const { return m_scheduler->isCurrent(); }

    // Stops the thread after the work already queued; later work is dropped. Waits at
    // most the stop patience: false when the thread was still busy then, and is left to
    // finish (or to the end of the process) on its own.
    bool shutdown();
    // For an owner going away while the program runs: the queue finishes its queued work
    // on its own and is then deleted on the main thread; the caller never waits. A queue
    // over another scheduler is destroyed at once.
    static void retire(std::unique_ptr<SerialQueue> queue);
    // Called once as the program ends: waits for the queues still retiring, each at most
    // its stop patience.
    static void awaitRetired();
    // How long finish() and shutdown() wait; seconds.
    void setStopPatience(double seconds) { m_stopPatience = seconds; }

private:
    void postQuit();
    bool stopBy(QDeadlineTimer deadline);

    QString m_label;
    QThread* m_thread = nullptr;
    QObject* m_context = nullptr;
    std::unique_ptr<QtScheduler> m_ownScheduler;
    Scheduler* m_scheduler = nullptr;
    double m_stopPatience = 10.0;
    bool m_quitPosted = false;
};

} // namespace vesk
