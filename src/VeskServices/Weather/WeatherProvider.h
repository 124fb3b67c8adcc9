#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskServices/Weather/LocationProvider.h"
#include "VeskServices/Weather/WeatherSnapshot.h"

#include <QObject>
#include <QUrl>

#include <memory>
#include <optional>

namespace vesk {

class ClockSource;
class WeatherService;

// The weather for the desk's widget: the current conditions and today's high and low at
// the computer's location, refreshed every 20 minutes (at most once per 10 unless
// forced) and retried two minutes after a failure. Timers go through mainScheduler().
// Main thread only.
class WeatherProvider : public QObject {
    Q_OBJECT

public:
    struct Environment {
        // Open-Meteo and the system clock when null.
        std::shared_ptr<WeatherService> service;
        const ClockSource* clock = nullptr;
    };

    static constexpr double refreshInterval = 1200;
    static constexpr double retryDelay = 120;
    static constexpr double throttle = 600;

    // `locations` must outlive the provider.
    explicit WeatherProvider(LocationProvider& locations, QObject* parent = nullptr);
    WeatherProvider(LocationProvider& locations, Environment environment, QObject* parent = nullptr);
    ~WeatherProvider() override;

    const std::optional<WeatherSnapshot>& snapshot() const { return m_snapshot; }
    const WeatherAvailability& availability() const { return m_availability; }
    const std::optional<QUrl>& attributionURL() const { return m_attributionURL; }
    const std::optional<QUrl>& attributionMarkURL() const { return m_attributionMarkURL; }
    const WeatherPlace& place() const { return m_place; }
    // A different place refreshes at once.
    void setPlace(const WeatherPlace& place);
    LocationAuthorization authorization() const { return m_locations.authorization(); }
    LocationProvider& locations() const { return m_locations; }

    // Asks for location permission when it was never asked (or once more after a
    // refusal: the user acted), then refreshes.
    void requestLocationAccess();
    // Refreshes now, then every refreshInterval and whenever the location permission
    // changes.
    void start();
    void stop();
    void refresh(bool force);

Q_SIGNALS:
    void snapshotChanged();
    void availabilityChanged();
    void attributionChanged();
    void placeChanged();

private:
    void fetch(const LocationFix& fix, const std::optional<QString>& name);
    void failed(const WeatherError& error);
    void loadAttribution();
    void setAvailability(const WeatherAvailability& availability);
    void refreshSoon(bool force);

    LocationProvider& m_locations;
    Environment m_environment;
    std::optional<WeatherSnapshot> m_snapshot;
    WeatherAvailability m_availability = WeatherAvailability::needsLocation();
    std::optional<QUrl> m_attributionURL;
    std::optional<QUrl> m_attributionMarkURL;
    WeatherPlace m_place;
    std::optional<Date> m_lastFetch;
    TaskHandle m_timer;
    TaskHandle m_failureRetry;
    bool m_started = false;
};

} // namespace vesk
