#pragma once

#include "VeskKit/Foundation/Scheduler.h"

#include <QObject>
#include <QPointer>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace vesk {

// A stream of values that keeps only the newest `capacity` of them. Any thread may
// yield without blocking; one consumer at a time takes the values in order, one per
// turn of its scheduler (the main thread by default), and stops for good once its
// task handle is cancelled or its context object is destroyed. Values yielded before
// a consumer attaches wait in the buffer. Copies share one stream.
template <typename T> class NewestStream {
public:
    explicit NewestStream(int capacity) : m_state(std::make_shared<State>()) {
        m_state->capacity = capacity < 1 ? 1 : capacity;
    }

    int capacity() const { return m_state->capacity; }

    void yield(T value) const {
        Scheduler* wake = nullptr;
        {
            std::lock_guard lock(m_state->mutex);
            m_state->buffer.push_back(std::move(value));
            while (static_cast<int>(m_state->buffer.size()) > m_state->capacity)
                m_state->buffer.pop_front();
            wake = m_state->claimWake();
        }
        if (wake) scheduleDrain(m_state, wake);
    }

    // Starts consuming. Replaces (and cancels) an earlier consumer.
    TaskHandle consume(QObject* context, std::function<void(T)> handler,
                       Scheduler& scheduler = mainScheduler()) const {
        TaskHandle handle = TaskHandle::make();
        Scheduler* wake = nullptr;
        {
            std::lock_guard lock(m_state->mutex);
            if (m_state->consumer) m_state->consumer->handle.cancel();
            m_state->consumer = std::make_shared<Consumer>(Consumer{
                std::move(handler), &scheduler, QPointer<QObject>(context), context != nullptr, handle});
            m_state->scheduled = false;
            wake = m_state->claimWake();
        }
        if (wake) scheduleDrain(m_state, wake);
        return handle;
    }

    // Values waiting for the consumer (for tests and diagnostics).
    int pendingCount() const {
        std::lock_guard lock(m_state->mutex);
        return static_cast<int>(m_state->buffer.size());
    }

private:
    struct Consumer {
        std::function<void(T)> handler;
        Scheduler* scheduler;
        QPointer<QObject> context;
        bool hasContext;
        TaskHandle handle;

        bool isLive() const { return !handle.isCancelled() && (!hasContext || context); }
    };

    struct State {
        std::mutex mutex;
        std::deque<T> buffer;
        int capacity = 1;
        std::shared_ptr<Consumer> consumer;
        bool scheduled = false;
        bool delivering = false;

        // Under the lock: the scheduler to wake when a drain is due and none is pending.
        Scheduler* claimWake() {
            if (!consumer || scheduled || delivering || buffer.empty() || !consumer->isLive()) return nullptr;
            scheduled = true;
            return consumer->scheduler;
        }
    };

    static void scheduleDrain(const std::shared_ptr<State>& state, Scheduler* scheduler) {
        std::weak_ptr<State> weak = state;
        scheduler->post([weak] {
            if (auto strong = weak.lock()) drainOne(strong);
        });
    }

    static void drainOne(const std::shared_ptr<State>& state) {
        std::shared_ptr<Consumer> consumer;
        std::optional<T> value;
        {
            std::lock_guard lock(state->mutex);
            state->scheduled = false;
            consumer = state->consumer;
            if (!consumer || !consumer->isLive() || state->buffer.empty() || state->delivering) return;
            value.emplace(std::move(state->buffer.front()));
            state->buffer.pop_front();
            state->delivering = true;
        }
        consumer->handler(std::move(*value));
        Scheduler* wake = nullptr;
        {
            std::lock_guard lock(state->mutex);
            state->delivering = false;
            wake = state->claimWake();
        }
        if (wake) scheduleDrain(state, wake);
    }

    std::shared_ptr<State> m_state;
};

} // namespace vesk
