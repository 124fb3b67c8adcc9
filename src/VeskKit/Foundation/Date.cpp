#include "VeskKit/Foundation/Date.h"

#include <QTimeZone>

#include <cmath>

namespace vesk {

Date Date::now() {
    return fromUnix(static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}

Date Date::fromDateTime(const QDateTime& dateTime) {
    return fromUnix(static_cast<double>(dateTime.toMSecsSinceEpoch()) / 1000.0);
}

std::optional<Date> Date::fromIso8601(const QString& text) {
    QDateTime parsed = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!parsed.isValid()) parsed = QDateTime::fromString(text, Qt::ISODate);
    if (!parsed.isValid()) return std::nullopt;
    if (parsed.timeSpec() == Qt::LocalTime) parsed.setTimeZone(QTimeZone::utc());
    return fromDateTime(parsed);
}

QDateTime Date::toDateTime() const {
    return QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(std::llround(unixTime() * 1000.0)),
                                          QTimeZone::utc());
}

QString Date::iso8601() const {
    const auto whole = static_cast<qint64>(std::floor(unixTime()));
    return QDateTime::fromSecsSinceEpoch(whole, Qt::UTC).toString(Qt::ISODate);
}

} // namespace vesk
