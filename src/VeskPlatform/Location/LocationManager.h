#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QList>
#include <QObject>
#include <QString>

namespace vesk {

// One location fix: where, and when it was measured.
struct LocationFix {
    double latitude = 0;
    double longitude = 0;
    Date timestamp;

    friend bool operator==(const LocationFix&, const LocationFix&) = default;
};

// Whether the program may know where the computer is, in the raw values settings and
// callers store.
enum class LocationAuthorization : int {
    notDetermined = 0,
    restricted = 1,
    denied = 2,
    authorizedAlways = 3,
    authorizedWhenInUse = 4,
};

// The desktop's location service at city accuracy: one fix at a time, asked for and
// answered later through the signals. Main thread only.
class LocationManager : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual LocationAuthorization authorizationStatus() const = 0;
    // Asks the desktop for permission; the answer comes through authorizationChanged.
    // After a refusal this asks once more: the user has acted.
    virtual void requestWhenInUseAuthorization() = 0;
    // Asks for one fix, answered by locationsUpdated or failed. A request while one is
    // pending joins it.
    virtual void requestLocation() = 0;

Q_SIGNALS:
    void authorizationChanged();
    void locationsUpdated(const QList<LocationFix>& fixes);
    void failed(const QString& reason);
};

// One place a fix lies in.
struct PlaceDescription {
    std::optional<QString> locality;
    std::optional<QString> administrativeArea;

    friend bool operator==(const PlaceDescription&, const PlaceDescription&) = default;
};

// Names places. Main thread only.
class ReverseGeocoder {
public:
    virtual ~ReverseGeocoder() = default;
    // The places at the fix, most specific first, handed to `done` while `context`
    // lives; none on an error.
    virtual void reverseGeocode(const LocationFix& fix, QObject* context,
                                std::function<void(std::optional<QList<PlaceDescription>>)> done) = 0;
};

} // namespace vesk
