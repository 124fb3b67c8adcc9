#include "VeskServices/Weather/LocationProvider.h"

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskPlatform/Location/GeoClueLocationManager.h"
#include "VeskPlatform/Location/NominatimReverseGeocoder.h"

namespace vesk {

LocationProvider::LocationProvider(QObject* parent) : LocationProvider(Environment{}, parent) {}

LocationProvider::LocationProvider(Environment environment, QObject* parent)
    : QObject(parent), m_environment(std::move(environment)) {
    if (!m_environment.manager)
        m_environment.manager = std::make_shared<GeoClueLocationManager>(UserDefaults::standard());
    if (!m_environment.geocoder) m_environment.geocoder = std::make_shared<NominatimReverseGeocoder>();
    if (!m_environment.clock) {
        static const SystemClock systemClock;
        m_environment.clock = &systemClock;
    }
    LocationManager* manager = m_environment.manager.get();
    m_authorization = manager->authorizationStatus();
    connect(manager, &LocationManager::authorizationChanged, this, [this, manager] {
        const LocationAuthorization status = manager->authorizationStatus();
        if (status == m_authorization) return;
        m_authorization = status;
        Q_EMIT authorizationChanged();
    });
    connect(manager, &LocationManager::locationsUpdated, this, &LocationProvider::locationsUpdated);
    // Waiters get the last fix there was, or none.
    connect(manager, &LocationManager::failed, this, [this] { resumeWaiters(m_location); });
}

LocationProvider::~LocationProvider() = default;

void LocationProvider::requestAccess() {
    // A refusal holds until the user asks again; this is the user asking.
    if (m_authorization == LocationAuthorization::notDetermined ||
        m_authorization == LocationAuthorization::denied)
        m_environment.manager->requestWhenInUseAuthorization();
}

void LocationProvider::current(std::function<void(std::optional<LocationFix>)> done) {
    // Either kind of permission gives a fix: the desktop grants only "while in use".
    if (m_authorization != LocationAuthorization::authorizedAlways &&
        m_authorization != LocationAuthorization::authorizedWhenInUse)
        return done(std::nullopt);
    if (m_location) {
        // A clock moved back makes the fix look younger than it is: reuse only a fix
        // whose age is known to be short.
        const double age = m_environment.clock->now() - m_location->timestamp;
        if (age >= 0 && age < fixReuse) return done(m_location);
    }
    m_waiters.append(std::move(done));
    m_environment.manager->requestLocation();
}

void LocationProvider::locationsUpdated(const QList<LocationFix>& fixes) {
    if (fixes.isEmpty()) return;
    const LocationFix fix = fixes.last();
    // The location only moves forward: a fix measured before the one we hold (a cached
    // answer arriving late, say) leaves it, and waiters get the newer one.
    if (m_location && fix.timestamp < m_location->timestamp) return resumeWaiters(m_location);
    if (m_location != fix) {
        m_location = fix;
        Q_EMIT locationChanged();
    }
    resumeWaiters(fix);
    m_environment.geocoder->reverseGeocode(
        fix, this, [this, fix](std::optional<QList<PlaceDescription>> places) {
            // A name found for a fix since replaced names the wrong place.
            if (m_location != fix) return;
            if (!places || places->isEmpty()) return setPlaceName(std::nullopt);
            const PlaceDescription& place = places->first();
            setPlaceName(place.locality ? place.locality : place.administrativeArea);
        });
}

void LocationProvider::resumeWaiters(const std::optional<LocationFix>& fix) {
    const auto waiters = std::exchange(m_waiters, {});
    for (const auto& waiter : waiters)
        waiter(fix);
}

void LocationProvider::setPlaceName(const std::optional<QString>& name) {
    if (m_placeName == name) return;
    m_placeName = name;
    Q_EMIT placeNameChanged();
}

} // namespace vesk
