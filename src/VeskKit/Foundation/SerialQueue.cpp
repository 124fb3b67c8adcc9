#include "VeskKit/Foundation/SerialQueue.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <QDeadlineTimer>
#include <QSemaphore>
#include <QThread>

#include <algorithm>
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
    m_thread->quit();
    const bool stopped = m_thread->wait(QDeadlineTimer(patienceMs(m_stopPatience)));
    if (stopped)
        delete m_thread;
    else
        // Deleting a running thread aborts the process: it is left to finish by itself.
        TraceLog::trace(QStringLiteral("queue ") + m_label + QStringLiteral(" did not stop in time"));
    m_thread = nullptr;
    m_context = nullptr;
    return stopped;
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
