#pragma once

#include "VeskPlatform/Location/LocationManager.h"

#include <QNetworkAccessManager>
#include <QUrl>

#include <memory>

namespace vesk {

// Place names from OpenStreetMap's Nominatim "reverse" search (no key needed; its usage
// policy asks for an identifying user agent and at most one request per new fix, which
// is how the location provider asks). Coordinates go out rounded to 0.01°.
class NominatimReverseGeocoder final : public ReverseGeocoder {
public:
    explicit NominatimReverseGeocoder(
        QUrl baseURL = QUrl(QStringLiteral("https://nominatim.openstreetmap.org")));
    ~NominatimReverseGeocoder() override;

    void reverseGeocode(const LocationFix& fix, QObject* context,
                        std::function<void(std::optional<QList<PlaceDescription>>)> done) override;

    // The place in a "jsonv2" reply; none when it is not one.
    static std::optional<QList<PlaceDescription>> parse(const QByteArray& body);

private:
    QUrl m_baseURL;
    std::unique_ptr<QNetworkAccessManager> m_network;
};

} // namespace vesk
