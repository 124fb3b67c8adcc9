#include "VeskPlatform/Power/SleepWatch.h"

namespace vesk {

SleepWatch::SleepWatch(QDBusConnection systemBus, QObject* parent) : QObject(parent) {
    if (!systemBus.isConnected()) return;
    // Matching on the sender's well-known name follows logind across restarts.
    m_watching =
        systemBus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"),
                          this, SLOT(onPrepareForSleep(bool)));
}

void SleepWatch::onPrepareForSleep(bool sleeping) {
    if (!sleeping) Q_EMIT didWake();
}

} // namespace vesk
