#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskPlatform/Power/PowerSources.h"
#include "VeskServices/Battery/BatteryState.h"

#include <QMetaObject>
#include <QObject>

#include <memory>
#include <optional>

namespace vesk {

// Watches the machine's power source and Low Power Mode and turns their changes into
// events: plugged in, unplugged, low battery (latched, with hysteresis), fully
// charged, Low Power Mode on or off. Lives on the main thread; every event is
// produced there.
class BatteryService final : public QObject {
    Q_OBJECT
public:
    static constexpr double defaultLowBatteryThreshold = 0.2;
    static constexpr double hysteresis = 0.05;

    // Without sources the machine's own (UPower and power-profiles-daemon) are used.
    explicit BatteryService(std::unique_ptr<PowerSources> sources = nullptr, QObject* parent = nullptr);
    ~BatteryService() override;

    const NewestStream<BatteryEvent>& events() const { return m_events; }

    double lowBatteryThreshold() const { return m_lowBatteryThreshold; }
    // Clamped to 0...1; a value that is not a number is ignored.
    void setLowBatteryThreshold(double threshold);

    void start();
    void stop();

    // A fresh reading, independent of what the service last compared.
    BatteryState currentState() const;

    // The state a power source description reads as; no source gives the state of a
    // machine without a battery (full, not plugged in).
    static BatteryState read(const std::optional<PowerSourceDescription>& source, bool lowPowerMode);

    const std::optional<BatteryState>& previous() const { return m_previous; }
    bool isLowBatteryLatched() const { return m_lowBatteryLatched; }

private:
    void poll();
    void lowPowerModeDidChange();

    std::unique_ptr<PowerSources> m_sources;
    NewestStream<BatteryEvent> m_events{8};
    double m_lowBatteryThreshold = defaultLowBatteryThreshold;
    std::optional<BatteryState> m_previous;
    // Whether the reading behind m_previous came from a real power source.
    bool m_previousHadSource = false;
    bool m_lowBatteryLatched = false;
    QMetaObject::Connection m_powerSourceConnection;
    QMetaObject::Connection m_lowPowerModeConnection;
};

} // namespace vesk
