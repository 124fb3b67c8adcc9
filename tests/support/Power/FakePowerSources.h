#pragma once

#include "VeskPlatform/Power/PowerSources.h"

#include <QList>
#include <QThread>

#include <mutex>

namespace vesk::test {

// Power sources the test sets by hand. Each setter reports the change the way the
// real sources do, on the calling thread.
class FakePowerSources final : public PowerSources {
public:
    bool start() override { return startSucceeds; }
    std::optional<PowerSourceDescription> firstPowerSource() const override { return source; }
    bool isLowPowerModeEnabled() const override {
        std::lock_guard lock(m_mutex);
        m_lowPowerModeReadThreads.append(QThread::currentThread());
        return lowPowerMode;
    }
    bool isReady() const override { return ready; }

    void setSource(std::optional<PowerSourceDescription> description) {
        source = std::move(description);
        Q_EMIT powerSourcesChanged();
    }
    void setLowPowerMode(bool enabled) {
        lowPowerMode = enabled;
        Q_EMIT lowPowerModeChanged();
    }
    void becomeReady() {
        ready = true;
        Q_EMIT powerSourcesChanged();
    }
    QList<QThread*> lowPowerModeReadThreads() const {
        std::lock_guard lock(m_mutex);
        return m_lowPowerModeReadThreads;
    }

    // A battery at `fraction`, on external power or not.
    static PowerSourceDescription battery(double fraction, bool onExternalPower, bool charging = false,
                                          bool charged = false) {
        PowerSourceDescription description;
        description.currentCapacity = fraction * 100;
        description.maxCapacity = 100;
        description.isCharging = charging;
        description.isCharged = charged;
        description.powerSourceState =
            onExternalPower ? PowerSourceDescription::acPower() : PowerSourceDescription::batteryPower();
        return description;
    }

    std::optional<PowerSourceDescription> source;
    bool lowPowerMode = false;
    bool ready = true;
    bool startSucceeds = true;

private:
    mutable std::mutex m_mutex;
    mutable QList<QThread*> m_lowPowerModeReadThreads;
};

} // namespace vesk::test
