#include "VeskKit/Foundation/LocalTime.h"

namespace vesk {

namespace {

QChar closingBracket(QChar opening) {
    switch (opening.unicode()) {
    case u'(':
        return u')';
    case u'[':
        return u']';
    case u'\uFF08':
        return u'\uFF09';
    default:
        return {};
    }
}

// Drops every unquoted time-zone field, with the brackets around it and the spaces that
// set it apart: those before it, or else those after it.
QString withoutZone(const QString& format) {
    QString kept;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == u'\'') quoted = !quoted;
        if (quoted || c != u't') {
            kept += c;
            continue;
        }
        qsizetype end = i;
        while (end < format.size() && format.at(end) == u't')
            ++end;
        const QChar closing = kept.isEmpty() ? QChar() : closingBracket(kept.back());
        if (!closing.isNull() && end < format.size() && format.at(end) == closing) {
            kept.chop(1);
            ++end;
        }
        if (!kept.isEmpty() && kept.back().isSpace()) {
            while (!kept.isEmpty() && kept.back().isSpace())
                kept.chop(1);
        } else {
            while (end < format.size() && format.at(end).isSpace())
                ++end;
        }
        i = end - 1;
    }
    return kept.trimmed();
}

// Some locales mark the day period the CLDR way, "B", which Qt would print as a letter:
// Qt's own AM/PM field says the same.
QString withQtDayPeriod(const QString& format) {
    QString qt;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') quoted = !quoted;
        qt += !quoted && c == u'B' ? QStringLiteral("AP") : QString(c);
    }
    return qt;
}

} // namespace

QString timeFormatWithoutZone(const QString& format) {
    return withoutZone(withQtDayPeriod(format));
}

QString timeWithSeconds(const QLocale& locale, QTime time) {
    return locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace vesk
