#include "support/ManualScheduler.h"

#include <algorithm>

namespace vesk::test {

void ManualScheduler::schedule(Date due, double interval, std::function<void()> fn, TaskHandle handle) {
    std::lock_guard lock(m_mutex);
    m_items.push_back(Item{due, m_sequence++, interval, std::move(fn), std::move(handle)});
}

void ManualScheduler::post(std::function<void()> fn) {
    schedule(now(), 0, std::move(fn), TaskHandle::make());
}

TaskHandle ManualScheduler::postAfter(double seconds, std::function<void()> fn) {
    TaskHandle handle = TaskHandle::make();
    schedule(now() + std::max(0.0, seconds), 0, std::move(fn), handle);
    return handle;
}

TaskHandle ManualScheduler::postRepeating(double interval, std::function<void()> fn) {
    TaskHandle handle = TaskHandle::make();
    const double step = std::max(interval, 1e-6);
    schedule(now() + step, step, std::move(fn), handle);
    return handle;
}

void ManualScheduler::advance(double seconds) {
    const Date target = now() + std::max(0.0, seconds);
    for (;;) {
        Item item;
        {
            std::lock_guard lock(m_mutex);
            std::erase_if(m_items, [](const Item& item) { return item.handle.isCancelled(); });
            auto next = std::min_element(m_items.begin(), m_items.end(), [](const Item& a, const Item& b) {
                if (a.due != b.due) return a.due < b.due;
                return a.sequence < b.sequence;
            });
            if (next == m_items.end() || next->due > target) break;
            item = std::move(*next);
            m_items.erase(next);
        }
        if (item.due > now()) m_clock.set(item.due);
        if (item.interval > 0) schedule(item.due + item.interval, item.interval, item.fn, item.handle);
        item.fn();
    }
    if (target > now()) m_clock.set(target);
}

int ManualScheduler::pendingCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count_if(m_items.begin(), m_items.end(),
                                          [](const Item& item) { return !item.handle.isCancelled(); }));
}

} // namespace vesk::test
