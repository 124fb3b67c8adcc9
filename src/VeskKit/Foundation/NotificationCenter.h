#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>

#include <functional>
#include <mutex>
#include <vector>

namespace vesk {

struct Notification {
    QString name;
    QVariantMap userInfo;
};

// In-app notifications by name. Observers run on the main thread: a post made there
// is delivered before post() returns, one made elsewhere is queued to the main thread.
// An observer ends when its context object (if any) is destroyed or it is removed.
class NotificationCenter {
public:
    using ObserverId = quint64;

    static NotificationCenter& defaultCenter();

    ObserverId observe(const QString& name, QObject* context,
                       std::function<void(const Notification&)> handler);
    void removeObserver(ObserverId id);
    void post(const QString& name, const QVariantMap& userInfo = {});

private:
    struct Observer {
        ObserverId id;
        QString name;
        QPointer<QObject> context;
        bool hasContext;
        std::function<void(const Notification&)> handler;
    };
    void deliver(const Notification& notification);

    std::mutex m_mutex;
    std::vector<Observer> m_observers;
    ObserverId m_nextId = 1;
};

} // namespace vesk
