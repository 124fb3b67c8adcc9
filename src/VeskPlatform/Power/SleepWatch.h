#pragma once

#include <QDBusConnection>
#include <QObject>

namespace vesk {

// Tells when the machine wakes from sleep, from logind's PrepareForSleep signal
// (argument false after resuming). Without logind on the bus nothing is ever reported.
class SleepWatch : public QObject {
    Q_OBJECT

public:
    // Watches logind on `systemBus` (the system bus unless a test passes its own).
    explicit SleepWatch(QDBusConnection systemBus = QDBusConnection::systemBus(), QObject* parent = nullptr);

    // Whether the signal is subscribed (false without a system bus).
    bool isWatching() const { return m_watching; }

Q_SIGNALS:
    void didWake();

private Q_SLOTS:
    void onPrepareForSleep(bool sleeping);

private:
    bool m_watching = false;
};

} // namespace vesk
