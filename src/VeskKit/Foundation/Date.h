#pragma once

#include <QDateTime>
#include <QString>

#include <compare>
#include <optional>

namespace vesk {

// A point in time as seconds since 2001-01-01T00:00:00Z, the reference date that
// stored files and the JSON forms use. Intervals are plain doubles in seconds.
struct Date {
    double secondsSinceReferenceDate = 0;

    // Seconds between the Unix epoch and the reference date.
    static constexpr double unixToReference = 978307200.0;

    static Date now();
    static Date fromUnix(double unixSeconds) { return Date{unixSeconds - unixToReference}; }
    static Date fromDateTime(const QDateTime& dateTime);
    // Parses an ISO 8601 date-time; a missing zone means UTC.
    static std::optional<Date> fromIso8601(const QString& text);

    double unixTime() const { return secondsSinceReferenceDate + unixToReference; }
    QDateTime toDateTime() const;
    // "2026-01-31T09:05:00Z": whole seconds, UTC.
    QString iso8601() const;

    Date operator+(double seconds) const { return Date{secondsSinceReferenceDate + seconds}; }
    Date operator-(double seconds) const { return Date{secondsSinceReferenceDate - seconds}; }
    Date& operator+=(double seconds) {
        secondsSinceReferenceDate += seconds;
        return *this;
    }
    double operator-(const Date& other) const {
        return secondsSinceReferenceDate - other.secondsSinceReferenceDate;
    }
    double timeIntervalSince(const Date& other) const { return *this - other; }

    friend bool operator==(const Date&, const Date&) = default;
    friend auto operator<=>(const Date& a, const Date& b) {
        return a.secondsSinceReferenceDate <=> b.secondsSinceReferenceDate;
    }
};

} // namespace vesk
