#include "VeskServices/Weather/WeatherProvider.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskPlatform/Weather/OpenMeteoWeatherService.h"

#include <QPointer>

#include <cstdio>

#include <syslog.h>

namespace vesk {

namespace {

const QString offlineText = QStringLiteral("Check your internet connection.");
const QString unavailableText = QStringLiteral("Weather isn't available right now. It'll retry on its own.");

} // namespace

WeatherProvider::WeatherProvider(LocationProvider& locations, QObject* parent)
    : WeatherProvider(locations, Environment{}, parent) {}

WeatherProvider::WeatherProvider(LocationProvider& locations, Environment environment, QObject* parent)
    : QObject(parent), m_locations(locations), m_environment(std::move(environment)) {
    if (!m_environment.service) m_environment.service = std::make_shared<OpenMeteoWeatherService>();
    if (!m_environment.clock) {
        static const SystemClock systemClock;
        m_environment.clock = &systemClock;
    }
    // An answer to the user's request (or a location service that appeared) shows at
    // once, rather than at the next tick of the 20-minute timer.
    connect(&m_locations, &LocationProvider::authorizationChanged, this, [this] {
        if (m_started) refreshSoon(true);
    });
}

WeatherProvider::~WeatherProvider() {
    stop();
}

void WeatherProvider::setPlace(const WeatherPlace& place) {
    if (m_place == place) return;
    m_place = place;
    Q_EMIT placeChanged();
    refreshSoon(true);
}

void WeatherProvider::requestLocationAccess() {
    m_locations.requestAccess();
    refreshSoon(true);
}

void WeatherProvider::start() {
    m_started = true;
    refreshSoon(true);
    m_timer.cancel();
    QPointer<WeatherProvider> self(this);
    m_timer = mainScheduler().postRepeating(refreshInterval, [self] {
        if (self) self->refreshSoon(false);
    });
}

void WeatherProvider::stop() {
    m_started = false;
    m_timer.cancel();
    m_timer = {};
    m_failureRetry.cancel();
    m_failureRetry = {};
}

void WeatherProvider::refreshSoon(bool force) {
    QPointer<WeatherProvider> self(this);
    onMain([self, force] {
        if (self) self->refresh(force);
    });
}

void WeatherProvider::refresh(bool force) {
    if (!force && m_lastFetch) {
        // A clock moved back puts the last fetch in the future: that is no reason to wait.
        const double elapsed = m_environment.clock->now() - *m_lastFetch;
        if (elapsed >= 0 && elapsed < throttle) return;
    }
    if (const auto* fixed = std::get_if<WeatherPlace::Fixed>(&m_place.value)) {
        fetch(LocationFix{.latitude = fixed->latitude,
                          .longitude = fixed->longitude,
                          .timestamp = m_environment.clock->now()},
              fixed->name);
        return;
    }
    switch (m_locations.authorization()) {
    case LocationAuthorization::restricted:
        return setAvailability(WeatherAvailability::noLocationService());
    case LocationAuthorization::denied:
        return setAvailability(WeatherAvailability::locationDenied());
    case LocationAuthorization::notDetermined:
        return setAvailability(WeatherAvailability::needsLocation());
    case LocationAuthorization::authorizedAlways:
    case LocationAuthorization::authorizedWhenInUse:
        break;
    }
    QPointer<WeatherProvider> self(this);
    m_locations.current([self](std::optional<LocationFix> fix) {
        if (!self) return;
        if (!fix) return self->setAvailability(WeatherAvailability::needsLocation());
        // Naming a new fix finishes later: this reading carries the name found before.
        self->fetch(*fix, self->m_locations.placeName());
    });
}

void WeatherProvider::fetch(const LocationFix& fix, const std::optional<QString>& name) {
    m_environment.service->weather(
        fix.latitude, fix.longitude, this, [this, name](WeatherService::Result result) {
            if (const auto* error = std::get_if<WeatherError>(&result)) return failed(*error);
            const WeatherReport& report = std::get<WeatherReport>(result);
            WeatherSnapshot snapshot{.temperature = report.current.temperature.celsius(),
                                     .apparentTemperature = report.current.apparentTemperature.celsius(),
                                     .condition = report.current.condition,
                                     .symbolName = report.current.symbolName,
                                     .isDaylight = report.current.isDaylight,
                                     .high = std::nullopt,
                                     .low = std::nullopt,
                                     .locationName = name,
                                     .fetchedAt = m_environment.clock->now()};
            if (!report.daily.isEmpty()) {
                snapshot.high = report.daily.first().high.celsius();
                snapshot.low = report.daily.first().low.celsius();
            }
            if (m_snapshot != snapshot) {
                m_snapshot = snapshot;
                Q_EMIT snapshotChanged();
            }
            m_lastFetch = m_environment.clock->now();
            setAvailability(WeatherAvailability::ready());
            m_failureRetry.cancel();
            m_failureRetry = {};
            loadAttribution();
        });
}

void WeatherProvider::failed(const WeatherError& error) {
    setAvailability(WeatherAvailability::failed(error.domain == QLatin1String("network") ? offlineText
                                                                                         : unavailableText));
    syslog(LOG_USER | LOG_ERR, "[VeskNotch] weather: fetch failed: %s %ld — %s",
           error.domain.toUtf8().constData(), long(error.code),
           error.localizedDescription.toUtf8().constData());
    if (qEnvironmentVariableIsSet("VESK_TRACE")) {
        const QString line = QStringLiteral("weather fetch failed: ") + error.domain + QLatin1Char(' ') +
                             QString::number(error.code) + QStringLiteral(" — ") + error.fullDescription +
                             QLatin1Char('\n');
        std::fputs(line.toUtf8().constData(), stderr);
    }
    m_failureRetry.cancel();
    QPointer<WeatherProvider> self(this);
    m_failureRetry = mainScheduler().postAfter(retryDelay, [self] {
        if (self) self->refreshSoon(true);
    });
}

void WeatherProvider::loadAttribution() {
    if (m_attributionURL) return;
    m_environment.service->attribution(this, [this](std::optional<WeatherAttribution> attribution) {
        if (!attribution || m_attributionURL) return;
        m_attributionURL = attribution->legalPageURL;
        m_attributionMarkURL = attribution->combinedMarkDarkURL;
        Q_EMIT attributionChanged();
    });
}

void WeatherProvider::setAvailability(const WeatherAvailability& availability) {
    if (m_availability == availability) return;
    m_availability = availability;
    Q_EMIT availabilityChanged();
}

} // namespace vesk
