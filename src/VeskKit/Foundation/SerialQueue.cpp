#include "VeskKit/Foundation/SerialQueue.h"

#include <QThread>

namespace vesk {

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

void SerialQueue::shutdown() {
    if (!m_thread) return;
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    m_context = nullptr;
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

} // namespace vesk
