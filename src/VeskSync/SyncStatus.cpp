#include "VeskSync/SyncStatus.h"

#include <QLocale>

#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace vesk {

namespace {

// The month's number counted from the start of year 0 (the calendar has no year 0: 1 BC
// is year -1).
qint64 monthIndex(const QDate& date) {
    const qint64 year = date.year() < 0 ? date.year() + 1 : date.year();
    return year * 12 + date.month() - 1;
}

// Whole calendar units from `from` to a later `to`, largest first, as a calendar
// counts them (months of different lengths included). Counted by arithmetic: the
// dates may lie any distance apart.
std::pair<URelativeDateTimeUnit, qint64> largestUnit(QDateTime from, const QDateTime& to) {
    // The difference of the months, less one when the day and time of `from` fall later
    // in its month than those of `to`.
    qint64 months = monthIndex(to.date()) - monthIndex(from.date());
    if (months > 0 && from.addMonths(int(months)) > to) --months;
    from = from.addMonths(int(months));
    qint64 days = from.date().daysTo(to.date());
    if (days > 0 && from.addDays(days) > to) --days;
    from = from.addDays(days);
    const qint64 seconds = from.secsTo(to);
    const std::pair<URelativeDateTimeUnit, qint64> units[] = {
        {UDAT_REL_UNIT_YEAR, months / 12},    {UDAT_REL_UNIT_MONTH, months % 12},
        {UDAT_REL_UNIT_WEEK, days / 7},       {UDAT_REL_UNIT_DAY, days % 7},
        {UDAT_REL_UNIT_HOUR, seconds / 3600}, {UDAT_REL_UNIT_MINUTE, seconds / 60 % 60},
    };
    for (const auto& [unit, count] : units)
        if (count != 0) return {unit, count};
    return {UDAT_REL_UNIT_SECOND, seconds % 60};
}

// Dates beyond this many seconds from the reference date (about 30 million years) are
// taken as lying there: further out the calendar and the clock cannot count them.
constexpr double farthest = 1e15;

Date withinReach(Date date) {
    const double seconds = date.secondsSinceReferenceDate;
    if (std::isnan(seconds)) return Date{};
    return Date{std::clamp(seconds, -farthest, farthest)};
}

} // namespace

QString relativeDateText(Date date, Date now) {
    const QDateTime then = withinReach(date).toDateTime().toLocalTime();
    const QDateTime current = withinReach(now).toDateTime().toLocalTime();
    const bool past = then < current;
    auto [unit, count] = past ? largestUnit(then, current) : largestUnit(current, then);
    UErrorCode status = U_ZERO_ERROR;
    // A new formatter each time: the locale may have changed since the last one.
    const icu::Locale locale(QLocale().name().toUtf8().constData());
    icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE,
                                             status);
    icu::UnicodeString text;
    formatter.formatNumeric(double(past ? -count : count), unit, text, status);
    if (U_FAILURE(status)) return {};
    return QString(reinterpret_cast<const QChar*>(text.getBuffer()), text.length());
}

QString SyncStatus::summary(Date now) const {
    switch (kind) {
    case Kind::idle:
        return lastSync ? QStringLiteral("Synced ") + relativeDateText(*lastSync, now)
                        : QStringLiteral("Synced");
    case Kind::unavailable:
        return toRaw(reason);
    case Kind::syncing:
        return QStringLiteral("Syncing\u2026");
    }
    return {};
}

QString SyncStatus::summary(const std::optional<QString>& cloudReason, Date now) const {
    // "Couldn't reach the cloud" would tell of a cloud that is not there.
    if (kind == Kind::unavailable && reason == SyncUnavailability::containerUnavailable && cloudReason)
        return *cloudReason;
    return summary(now);
}

} // namespace vesk
