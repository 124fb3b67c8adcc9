#include "VeskPlatform/Push/RemoteNotifications.h"

#include "VeskKit/Foundation/Scheduler.h"

namespace vesk {

QString remoteNotificationsUnavailableReason() {
    return QStringLiteral("remote notifications are not available on Linux");
}

void registerForRemoteNotifications(RemoteNotificationHandlers handlers) {
    onMain([failed = std::move(handlers.failed)] {
        if (failed) failed(remoteNotificationsUnavailableReason());
    });
}

} // namespace vesk
