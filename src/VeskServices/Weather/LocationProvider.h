#pragma once

#include "VeskPlatform/Location/LocationManager.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class ClockSource;

// The computer's approximate location for the weather: asks for permission, hands out
// one fix at a time (reusing one younger than 900 s) and names the place of the newest
// fix; an older fix never replaces a newer one. Main thread only.
class LocationProvider : public QObject {
    Q_OBJECT

public:
    struct Environment {
        // GeoClue and Nominatim when null; the system clock when null.
        std::shared_ptr<LocationManager> manager;
        std::shared_ptr<ReverseGeocoder> geocoder;
        const ClockSource* clock = nullptr;
    };

    static constexpr double fixReuse = 900;

    explicit LocationProvider(QObject* parent = nullptr);
    LocationProvider(Environment environment, QObject* parent = nullptr);
    ~LocationProvider() override;

    const std::optional<LocationFix>& location() const { return m_location; }
    LocationAuthorization authorization() const { return m_authorization; }
    const std::optional<QString>& placeName() const { return m_placeName; }

    // Asks the desktop for permission when it was never asked, or asks once more after a
    // refusal.
    void requestAccess();
    // A fix, or none without permission or when none could be had. Callers waiting at
    // the same time are all answered, in the order they asked, by the next answer.
    void current(std::function<void(std::optional<LocationFix>)> done);

Q_SIGNALS:
    void locationChanged();
    void authorizationChanged();
    void placeNameChanged();

private:
    void locationsUpdated(const QList<LocationFix>& fixes);
    void resumeWaiters(const std::optional<LocationFix>& fix);
    void setPlaceName(const std::optional<QString>& name);

    Environment m_environment;
    std::optional<LocationFix> m_location;
    LocationAuthorization m_authorization = LocationAuthorization::notDetermined;
    std::optional<QString> m_placeName;
    QList<std::function<void(std::optional<LocationFix>)>> m_waiters;
};

} // namespace vesk
