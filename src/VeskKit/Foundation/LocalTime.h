#pragma once

#include <QLocale>
#include <QString>
#include <QTime>

namespace vesk {

// The locale's long time format without its time-zone field (and the brackets and
// spaces around it); quoted literals stay as they are. A CLDR day period ("B") becomes
// Qt's AM/PM field.
QString timeFormatWithoutZone(const QString& format);

// A time of day in the locale's own long form, seconds included, without a time zone:
// "9:05:32" in Spanish, "9:05:32 AM" in US English.
QString timeWithSeconds(const QLocale& locale, QTime time);

} // namespace vesk
