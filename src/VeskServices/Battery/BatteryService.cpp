#include "VeskServices/Battery/BatteryService.h"

#include "VeskPlatform/Power/UPowerPowerSources.h"

#include <algorithm>
#include <cmath>

namespace vesk {

BatteryService::BatteryService(std::unique_ptr<PowerSources> sources, QObject* parent)
    : QObject(parent), m_sources(std::move(sources)) {
    if (!m_sources) m_sources = std::make_unique<UPowerPowerSources>();
}

BatteryService::~BatteryService() = default;

void BatteryService::setLowBatteryThreshold(double threshold) {
    if (std::isnan(threshold)) return;
    m_lowBatteryThreshold = std::clamp(threshold, 0.0, 1.0);
}

BatteryState BatteryService::read(const std::optional<PowerSourceDescription>& source, bool lowPowerMode) {
    BatteryState state;
    state.lowPowerMode = lowPowerMode;
    state.isPresent = true;
    if (!source) return state;

    const double current = source->currentCapacity.value_or(100);
    const double max = source->maxCapacity.value_or(100);
    state.percentage = max > 0 ? current / max : 1.0;
    state.isCharging = source->isCharging.value_or(false);
    state.isCharged = source->isCharged.value_or(false);
    state.isPluggedIn = source->powerSourceState == PowerSourceDescription::acPower();
    const std::optional<int> minutes = state.isCharging ? source->timeToFullCharge : source->timeToEmpty;
    if (minutes && *minutes >= 1) state.timeRemaining = *minutes * 60.0;
    return state;
}

BatteryState BatteryService::currentState() const {
    return read(m_sources->firstPowerSource(), m_sources->isLowPowerModeEnabled());
}

void BatteryService::start() {
    const bool watching = m_sources->start();
    // Until the sources have answered there is nothing to compare against: the first
    // real reading sets the starting point instead (poll).
    if (!watching || m_sources->isReady()) {
        m_previous = currentState();
        m_previousHadSource = m_sources->firstPowerSource().has_value();
    }
    if (!watching) return;

    if (!m_powerSourceConnection)
        m_powerSourceConnection =
            connect(m_sources.get(), &PowerSources::powerSourcesChanged, this, &BatteryService::poll);
    // The context object makes a change reported on another thread arrive on ours.
    if (!m_lowPowerModeConnection)
        m_lowPowerModeConnection = connect(m_sources.get(), &PowerSources::lowPowerModeChanged, this,
                                           &BatteryService::lowPowerModeDidChange);
}

void BatteryService::stop() {
    // Low Power Mode stays observed for the service's life.
    disconnect(m_powerSourceConnection);
    m_powerSourceConnection = {};
}

void BatteryService::poll() {
    const std::optional<PowerSourceDescription> source = m_sources->firstPowerSource();
    const BatteryState now = read(source, m_sources->isLowPowerModeEnabled());

    // A power source appearing or vanishing (a daemon starting late, a battery taken
    // out) is not a plug or an unplug: it sets a new starting point.
    if (!m_previous || source.has_value() != m_previousHadSource) {
        m_previous = now;
        m_previousHadSource = source.has_value();
        return;
    }

    if (now.isPluggedIn != m_previous->isPluggedIn)
        m_events.yield(now.isPluggedIn ? BatteryEvent::pluggedIn(now.percentage)
                                       : BatteryEvent::unplugged(now.percentage));
    if (now.isCharged && !m_previous->isCharged) m_events.yield(BatteryEvent::charged());

    if (!now.isPluggedIn && now.percentage <= m_lowBatteryThreshold && !m_lowBatteryLatched) {
        m_lowBatteryLatched = true;
        m_events.yield(BatteryEvent::lowBattery(now.percentage));
    } else if (now.percentage > m_lowBatteryThreshold + hysteresis || now.isPluggedIn) {
        m_lowBatteryLatched = false;
    }

    m_previous = now;
}

void BatteryService::lowPowerModeDidChange() {
    const bool enabled = m_sources->isLowPowerModeEnabled();
    if (m_previous && m_previous->lowPowerMode == enabled) return;
    if (m_previous) m_previous->lowPowerMode = enabled;
    m_events.yield(BatteryEvent::lowPowerMode(enabled));
}

} // namespace vesk
