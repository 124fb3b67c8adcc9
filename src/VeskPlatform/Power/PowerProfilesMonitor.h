#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <array>
#include <optional>

class QDBusMessage;
class QDBusServiceWatcher;

namespace vesk {

// Follows power-profiles-daemon's active profile; "power-saver" is Low Power Mode.
// The daemon is "org.freedesktop.UPower.PowerProfiles" in newer releases and
// "net.hadess.PowerProfiles" in older ones (Debian 12): both are followed, and a
// daemon that starts, stops or restarts later is picked up. A daemon appearing or
// leaving sets a new starting point: the profile it brings is no change.
class PowerProfilesMonitor final : public QObject {
    Q_OBJECT
public:
    explicit PowerProfilesMonitor(QDBusConnection bus, QObject* parent = nullptr);

    void start();
    // True once every name has answered or is known to be missing.
    bool isReady() const;
    bool isPowerSaver() const { return m_powerSaver; }
    // The active profile of the first daemon that has one.
    std::optional<QString> activeProfile() const;

Q_SIGNALS:
    void ready();
    // Emitted only after ready(), when the daemon changed its profile between
    // power-saver and another one.
    void powerSaverChanged();
    // Emitted only after ready(), when isPowerSaver() changed because a daemon appeared
    // or left: a new starting point, not a change.
    void startingPointChanged();

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message);

private:
    struct Endpoint {
        QString service;
        QString path;
        std::optional<QString> profile;
        bool resolved = false;
        quint64 generation = 0;
    };

    // `startingPoint`: the answer comes from a daemon that just appeared.
    void fetch(Endpoint& endpoint, bool startingPoint = false);
    Endpoint* endpointFor(const QString& path);
    void update(bool startingPoint = false);

    QDBusConnection m_bus;
    std::array<Endpoint, 2> m_endpoints;
    QDBusServiceWatcher* m_watcher = nullptr;
    bool m_started = false;
    bool m_announcedReady = false;
    bool m_powerSaver = false;
};

} // namespace vesk
