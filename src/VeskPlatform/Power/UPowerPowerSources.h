#pragma once

#include "VeskPlatform/Power/PowerSources.h"

#include <QDBusConnection>
#include <QVariantMap>

class QDBusMessage;
class QDBusServiceWatcher;

namespace vesk {

class PowerProfilesMonitor;

// Power sources from UPower over the system bus: its display device (the machine's
// batteries combined) and OnBattery, followed through PropertiesChanged; Low Power
// Mode from power-profiles-daemon. Every call is asynchronous. A UPower that starts
// or restarts later is read again when it takes its name; while it is gone the last
// readings stand.
class UPowerPowerSources final : public PowerSources {
    Q_OBJECT
public:
    explicit UPowerPowerSources(QDBusConnection bus = QDBusConnection::systemBus(),
                                QObject* parent = nullptr);
    ~UPowerPowerSources() override;

    bool start() override;
    std::optional<PowerSourceDescription> firstPowerSource() const override;
    bool isLowPowerModeEnabled() const override;
    bool isReady() const override;

    // The description UPower's properties give (absent when no battery is present).
    static std::optional<PowerSourceDescription> describe(const QVariantMap& daemon,
                                                          const QVariantMap& device);

private Q_SLOTS:
    void onDaemonPropertiesChanged(const QDBusMessage& message);
    void onDevicePropertiesChanged(const QDBusMessage& message);

private:
    void fetch();
    void fetchDevice(quint64 generation);
    void watchDevice(const QString& path);
    void finishPart(quint64 generation);
    void changed(const std::optional<PowerSourceDescription>& before);
    void updateReady();

    QDBusConnection m_bus;
    PowerProfilesMonitor* m_profiles = nullptr;
    QDBusServiceWatcher* m_watcher = nullptr;
    QVariantMap m_daemon;
    QVariantMap m_device;
    QString m_devicePath;
    quint64 m_generation = 0;
    int m_partsPending = 0;
    bool m_started = false;
    bool m_upowerResolved = false;
    bool m_ready = false;
};

} // namespace vesk
