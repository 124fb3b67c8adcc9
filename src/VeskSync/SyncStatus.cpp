#include "VeskSync/SyncStatus.h"

#include <QLocale>

#include <unicode/reldatefmt.h>
#include <unicode/unistr.h>

#include <utility>

namespace vesk {

namespace {

// Whole calendar units from `from` to a later `to`, largest first, as a calendar
// counts them (months of different lengths included).
std::pair<URelativeDateTimeUnit, int> largestUnit(QDateTime from, const QDateTime& to) {
    int years = 0, months = 0;
    while (from.addYears(years + 1) <= to)
        ++years;
    from = from.addYears(years);
    while (from.addMonths(months + 1) <= to)
        ++months;
    from = from.addMonths(months);
    int days = 0;
    while (from.addDays(days + 1) <= to)
        ++days;
    from = from.addDays(days);
    const qint64 seconds = from.secsTo(to);
    const std::pair<URelativeDateTimeUnit, qint64> units[] = {
        {UDAT_REL_UNIT_YEAR, years},          {UDAT_REL_UNIT_MONTH, months},
        {UDAT_REL_UNIT_WEEK, days / 7},       {UDAT_REL_UNIT_DAY, days % 7},
        {UDAT_REL_UNIT_HOUR, seconds / 3600}, {UDAT_REL_UNIT_MINUTE, seconds / 60 % 60},
    };
    for (const auto& [unit, count] : units)
        if (count != 0) return {unit, int(count)};
    return {UDAT_REL_UNIT_SECOND, int(seconds % 60)};
}

} // namespace

QString relativeDateText(Date date, Date now) {
    const QDateTime then = date.toDateTime().toLocalTime();
    const QDateTime current = now.toDateTime().toLocalTime();
    const bool past = then < current;
    auto [unit, count] = past ? largestUnit(then, current) : largestUnit(current, then);
    UErrorCode status = U_ZERO_ERROR;
    // A new formatter each time: the locale may have changed since the last one.
    const icu::Locale locale(QLocale().name().toUtf8().constData());
    icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_SHORT, UDISPCTX_CAPITALIZATION_NONE,
                                             status);
    icu::UnicodeString text;
    formatter.formatNumeric(past ? -count : count, unit, text, status);
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

} // namespace vesk
