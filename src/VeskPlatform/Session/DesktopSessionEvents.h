#pragma once

#include "VeskPlatform/Session/SessionEvents.h"

#include <QStringList>
#include <QVariantMap>

#include <array>

class QDBusMessage;
class QDBusServiceWatcher;

namespace vesk {

// Screen lock on a Linux desktop: locked while the logind session's LockedHint is
// true or a screensaver service (org.freedesktop.ScreenSaver, org.gnome.ScreenSaver)
// says it is active. logind's Lock and Unlock signals ask the locker to act and say
// nothing about the screen, so they are not followed.
class DesktopSessionEvents final : public SessionEvents {
    Q_OBJECT
public:
    explicit DesktopSessionEvents(QObject* parent = nullptr);
    ~DesktopSessionEvents() override;

    void start() override;
    void stop() override;
    bool isLocked() const override;

    // The logind session followed, once found; empty before or without one.
    const QString& sessionPath() const { return m_sessionPath; }

private Q_SLOTS:
    void onSessionProperties(const QString& interface, const QVariantMap& changed,
                             const QStringList& invalidated);
    void onFreedesktopActiveChanged(bool active);
    void onGnomeActiveChanged(bool active);

private:
    enum Reporter { logind, freedesktopScreenSaver, gnomeScreenSaver, reporterCount };

    void findSession();
    void findSessionThroughAuto();
    void followSession(const QString& path);
    void readLockedHint();
    void watchScreenSaver(Reporter reporter);
    void readScreenSaver(Reporter reporter, bool announce);
    void update(Reporter reporter, bool active, bool announce);
    template <typename Handler> void call(bool systemBus, const QDBusMessage& message, Handler handler);

    quint64 m_generation = 0; // replies to an older start() are dropped
    QString m_sessionPath;
    std::array<bool, reporterCount> m_active{};
    // A signal arrived since start(): a slower first read would be stale.
    std::array<bool, reporterCount> m_heard{};
    std::array<QDBusServiceWatcher*, reporterCount> m_watchers{};
};

} // namespace vesk
