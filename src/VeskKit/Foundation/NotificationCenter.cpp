#include "VeskKit/Foundation/NotificationCenter.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QCoreApplication>
#include <QThread>

#include <algorithm>

namespace vesk {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::ObserverId NotificationCenter::observe(const QString& name, QObject* context,
                                                           std::function<void(const Notification&)> handler) {
    ObserverId id;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        m_observers.push_back(
            Observer{id, name, QPointer<QObject>(context), context != nullptr, std::move(handler)});
    }
    if (context) QObject::connect(context, &QObject::destroyed, [this, id] { removeObserver(id); });
    return id;
}

void NotificationCenter::removeObserver(ObserverId id) {
    std::lock_guard lock(m_mutex);
    std::erase_if(m_observers, [id](const Observer& o) { return o.id == id; });
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo) {
    Notification notification{name, userInfo};
    auto* app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread()) {
        deliver(notification);
        return;
    }
    onMain([this, notification] { deliver(notification); });
}

void NotificationCenter::deliver(const Notification& notification) {
    std::vector<ObserverId> ids;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& o : m_observers)
            if (o.name == notification.name) ids.push_back(o.id);
    }
    // Look each observer up again before calling it: an earlier handler may have
    // removed it or destroyed its context.
    for (ObserverId id : ids) {
        std::function<void(const Notification&)> handler;
        {
            std::lock_guard lock(m_mutex);
            auto it = std::find_if(m_observers.begin(), m_observers.end(),
                                   [id](const Observer& o) { return o.id == id; });
            if (it == m_observers.end() || (it->hasContext && !it->context)) continue;
            handler = it->handler;
        }
        handler(notification);
    }
}

} // namespace vesk
