#include "VeskKit/Foundation/SerialQueue.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QSemaphore>
#include <QThread>

#include <algorithm>
#include <map>
#include <mutex>

namespace vesk {

namespace {

qint64 patienceMs(double seconds) {
    return qint64(std::max(seconds, 0.0) * 1000.0);
}

} // namespace

SerialQueue::SerialQueue(QString label, Scheduler* overrideScheduler) : m_label(std::move(label)) {
    if (overrideScheduler) {
        m_scheduler = overrideScheduler;
        return;
    }
    m_thread = new QThread;
    m_thread->setObjectName(m_label);
    m_context = new QObject;
    m_context->setObjectName(m_label);
    m_context->moveToThread(m_thread);
    // Objects left on the thread (timers, the context) are deleted as it finishes.
    QObject::connect(m_thread, &QThread::finished, m_context, &QObject::deleteLater);
    m_ownScheduler = std::make_unique<QtScheduler>(m_context);
    m_scheduler = m_ownScheduler.get();
    m_thread->start();
}

SerialQueue::~SerialQueue() {
    shutdown();
}

bool SerialQueue::shutdown() {
    if (!m_thread) return true;
    postQuit();
    return stopBy(QDeadlineTimer(patienceMs(m_stopPatience)));
}

// The quit is a task of its own behind everything queued so far, so that work runs
// first; work posted after it is never run.
void SerialQueue::postQuit() {
    if (m_quitPosted) return;
    m_quitPosted = true;
    QThread* thread = m_thread;
    // Posting wakes the thread's event dispatcher after the task is already in the
    // thread's hands. A thread that ran the quit at once would be deleting its dispatcher
    // under that wake-up: the quit waits until the post is over.
    auto posted = std::make_shared<QSemaphore>();
    QMetaObject::invokeMethod(
        m_context,
        [thread, posted] {
            posted->acquire();
            thread->quit();
        },
        Qt::QueuedConnection);
    posted->release();
}

bool SerialQueue::stopBy(QDeadlineTimer deadline) {
    const bool stopped = m_thread->wait(deadline);
    if (stopped)
        delete m_thread;
    else
        // Deleting a running thread aborts the process: it is left to finish by itself.
        TraceLog::trace(QStringLiteral("queue ") + m_label + QStringLiteral(" did not stop in time"));
    m_thread = nullptr;
    m_context = nullptr;
    return stopped;
}

namespace {

// Queues finishing on their own, by a number of their own (an address may be reused).
// Never destroyed: nothing may wait on a thread while statics are torn down.
struct RetiredQueues {
    std::mutex mutex;
    std::map<quint64, std::unique_ptr<SerialQueue>> queues;
    quint64 lastId = 0;
};

RetiredQueues& retiredQueues() {
    static auto* retired = new RetiredQueues;
    return *retired;
}

} // namespace

void SerialQueue::retire(std::unique_ptr<SerialQueue> queue) {
    if (!queue) return;
    QCoreApplication* application = QCoreApplication::instance();
    if (!queue->m_thread || !application) {
        queue.reset();
        return;
    }
    RetiredQueues& retired = retiredQueues();
    // Held while the hand-off is set up, so awaitRetired cannot take the queue half-way.
    std::lock_guard lock(retired.mutex);
    const quint64 id = ++retired.lastId;
    SerialQueue* raw = queue.get();
    retired.queues.emplace(id, std::move(queue));
    // Deleted on the main thread once its thread has ended; the destructor's wait is then
    // only for the thread's last steps.
    QObject::connect(
        raw->m_thread, &QThread::finished, application,
        [id] {
            std::unique_ptr<SerialQueue> done;
            {
                RetiredQueues& retired = retiredQueues();
                std::lock_guard lock(retired.mutex);
                const auto found = retired.queues.find(id);
                if (found == retired.queues.end()) return;
                done = std::move(found->second);
                retired.queues.erase(found);
            }
        },
        Qt::QueuedConnection);
    raw->postQuit();
}

void SerialQueue::awaitRetired() {
    std::map<quint64, std::unique_ptr<SerialQueue>> queues;
    {
        RetiredQueues& retired = retiredQueues();
        std::lock_guard lock(retired.mutex);
        queues.swap(retired.queues);
    }
    // The patiences run side by side, from now.
    QElapsedTimer started;
    started.start();
    for (auto& [id, queue] : queues) {
        const qint64 left = std::max<qint64>(0, patienceMs(queue->m_stopPatience) - started.elapsed());
        queue->stopBy(QDeadlineTimer(left));
    }
}

void SerialQueue::async(std::function<void()> fn) {
    if (m_ownScheduler && !m_thread) return;
    m_scheduler->post(std::move(fn));
}

TaskHandle SerialQueue::asyncAfter(double seconds, std::function<void()> fn) {
    if (m_ownScheduler && !m_thread) return {};
    return m_scheduler->postAfter(seconds, std::move(fn));
}

TaskHandle SerialQueue::repeating(double interval, std::function<void()> fn) {
    if (m_ownScheduler && !m_thread) return {};
    return m_scheduler->postRepeating(interval, std::move(fn));
}

void SerialQueue::sync(const std::function<void()>& fn) {
    if (!m_thread || isCurrent()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(
        m_context, [&fn] { fn(); }, Qt::BlockingQueuedConnection);
}

bool SerialQueue::finish(const std::function<void()>& fn) {
    if (!m_thread || isCurrent()) {
        fn();
        return true;
    }
    // Shared with the queue, which may take the call after the caller gave up on it.
    struct Call {
        std::function<void()> fn;
        std::mutex mutex;
        bool abandoned = false;
        QSemaphore done;
    };
    auto call = std::make_shared<Call>();
    call->fn = fn;
    QMetaObject::invokeMethod(
        m_context,
        [call] {
            {
                std::lock_guard lock(call->mutex);
                if (call->abandoned) return;
            }
            call->fn();
            call->done.release();
        },
        Qt::QueuedConnection);
    if (call->done.tryAcquire(1, int(patienceMs(m_stopPatience)))) return true;
    std::lock_guard lock(call->mutex);
    call->abandoned = true;
    TraceLog::trace(QStringLiteral("queue ") + m_label + QStringLiteral(" did not answer in time"));
    return false;
}

} // namespace vesk
