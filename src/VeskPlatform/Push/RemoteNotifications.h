#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vesk {

// Registration for pushes from the program's private cloud container. Linux has no push
// service tied to a program's signature, so registration always fails, with the reason.
// Exactly one of the two handlers runs, on the main thread, after the call has returned.
struct RemoteNotificationHandlers {
    std::function<void(const QByteArray& deviceToken)> registered;
    std::function<void(const QString& error)> failed;
};

void registerForRemoteNotifications(RemoteNotificationHandlers handlers);

// The reason registration fails on this system.
QString remoteNotificationsUnavailableReason();

} // namespace vesk
