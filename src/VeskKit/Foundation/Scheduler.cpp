#include "VeskKit/Foundation/Scheduler.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>

namespace vesk {

TaskHandle TaskHandle::make() {
    TaskHandle handle;
    handle.m_state = std::make_shared<State>();
    return handle;
}

void TaskHandle::cancel() const {
    if (!m_state || m_state->cancelled.exchange(true)) return;
    std::function<void()> onCancel;
    {
        std::lock_guard lock(m_state->mutex);
        onCancel = std::move(m_state->onCancel);
    }
    if (onCancel) onCancel();
}

bool TaskHandle::isCancelled() const {
    return m_state && m_state->cancelled.load();
}

void TaskHandle::setOnCancel(std::function<void()> onCancel) const {
    if (!m_state) return;
    {
        std::lock_guard lock(m_state->mutex);
        if (!m_state->cancelled.load()) {
            m_state->onCancel = std::move(onCancel);
            return;
        }
    }
    if (onCancel) onCancel();
}

namespace {

int toMilliseconds(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    return static_cast<int>(std::min(std::ceil(seconds * 1000.0), 2.0e9));
}

} // namespace

QtScheduler::QtScheduler(QObject* context) : m_context(context) {}

bool QtScheduler::isCurrent() const {
    return m_context && m_context->thread() == QThread::currentThread();
}

void QtScheduler::onContextThread(std::function<void()> fn) {
    QObject* context = m_context.data();
    if (!context) return;
    if (isCurrent())
        fn();
    else
        QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

void QtScheduler::post(std::function<void()> fn) {
    if (QObject* context = m_context.data())
        QMetaObject::invokeMethod(context, std::move(fn), Qt::QueuedConnection);
}

TaskHandle QtScheduler::postAfter(double seconds, std::function<void()> fn) {
    TaskHandle handle = TaskHandle::make();
    const int ms = toMilliseconds(seconds);
    QPointer<QObject> context = m_context;
    onContextThread([context, handle, ms, fn = std::move(fn)]() mutable {
        if (!context || handle.isCancelled()) return;
        auto* timer = new QTimer(context);
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, fn = std::move(fn)] {
            timer->deleteLater();
            if (!handle.isCancelled()) fn();
        });
        // A cancelled delay releases its timer at once instead of waiting it out.
        QPointer<QTimer> guard(timer);
        handle.setOnCancel([guard] {
            if (guard)
                QMetaObject::invokeMethod(
                    guard,
                    [guard] {
                        if (guard) guard->deleteLater();
                    },
                    Qt::QueuedConnection);
        });
        timer->start(ms);
    });
    return handle;
}

TaskHandle QtScheduler::postRepeating(double interval, std::function<void()> fn) {
    TaskHandle handle = TaskHandle::make();
    const int ms = std::max(1, toMilliseconds(interval));
    QPointer<QObject> context = m_context;
    onContextThread([context, handle, ms, fn = std::move(fn)]() mutable {
        if (!context || handle.isCancelled()) return;
        auto* timer = new QTimer(context);
        // Coarse: Qt moves each run within 5 % of the interval onto a common boundary, so
        // the heartbeat, the health check and other programs' timers wake the CPU together.
        timer->setTimerType(Qt::CoarseTimer);
        QObject::connect(timer, &QTimer::timeout, timer, [handle, fn = std::move(fn)] {
            if (!handle.isCancelled()) fn();
        });
        QPointer<QTimer> guard(timer);
        handle.setOnCancel([guard] {
            if (guard)
                QMetaObject::invokeMethod(
                    guard,
                    [guard] {
                        if (guard) {
                            guard->stop();
                            guard->deleteLater();
                        }
                    },
                    Qt::QueuedConnection);
        });
        timer->start(ms);
    });
    return handle;
}

namespace {

std::atomic<Scheduler*> installedMain{nullptr};

} // namespace

Scheduler& mainScheduler() {
    if (Scheduler* installed = installedMain.load()) return *installed;
    static QtScheduler qtMain(QCoreApplication::instance());
    return qtMain;
}

void setMainScheduler(Scheduler* scheduler) {
    installedMain.store(scheduler);
}

} // namespace vesk
