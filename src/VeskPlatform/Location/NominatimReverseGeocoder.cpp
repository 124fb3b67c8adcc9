#include "VeskPlatform/Location/NominatimReverseGeocoder.h"

#include "VeskPlatform/Network/HttpFetch.h"
#include "VeskPlatform/Network/RoundedCoordinate.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QUrlQuery>

namespace vesk {

NominatimReverseGeocoder::NominatimReverseGeocoder(QUrl baseURL)
    : m_baseURL(std::move(baseURL)), m_network(http::makeAccessManager()) {}

NominatimReverseGeocoder::~NominatimReverseGeocoder() = default;

void NominatimReverseGeocoder::reverseGeocode(
    const LocationFix& fix, QObject* context,
    std::function<void(std::optional<QList<PlaceDescription>>)> done) {
    QUrl url = m_baseURL;
    url.setPath(url.path().chopped(url.path().endsWith(QLatin1Char('/')) ? 1 : 0) +
                QStringLiteral("/reverse"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("format"), QStringLiteral("jsonv2"));
    query.addQueryItem(QStringLiteral("lat"), roundedCoordinate(fix.latitude));
    query.addQueryItem(QStringLiteral("lon"), roundedCoordinate(fix.longitude));
    query.addQueryItem(QStringLiteral("zoom"), QStringLiteral("10"));
    url.setQuery(query);
    const QByteArray language = QLocale().uiLanguages().join(QLatin1Char(',')).toUtf8();
    http::get(*m_network, url, {{"Accept-Language", language}}, context,
              [done = std::move(done)](const http::Response& response) {
                  if (!response.isAnswer() || response.status != 200) return done(std::nullopt);
                  done(parse(response.body));
              });
}

std::optional<QList<PlaceDescription>> NominatimReverseGeocoder::parse(const QByteArray& body) {
    const QJsonDocument doc = QJsonDocument::fromJson(body);
    if (!doc.isObject()) return std::nullopt;
    // An ocean or an unmapped spot answers {"error": "Unable to geocode"}: no place.
    if (!doc.object().contains(QStringLiteral("address"))) return QList<PlaceDescription>{};
    const QJsonObject address = doc.object().value(QStringLiteral("address")).toObject();
    const auto text = [&](const char* key) -> std::optional<QString> {
        const QString value = address.value(QLatin1String(key)).toString();
        if (value.isEmpty()) return std::nullopt;
        return value;
    };
    PlaceDescription place;
    for (const char* key : {"city", "town", "village", "municipality"})
        if ((place.locality = text(key))) break;
    place.administrativeArea = text("state");
    return QList<PlaceDescription>{place};
}

} // namespace vesk
