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

} // namespace

QString timeFormatWithoutZone(const QString& format) {
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
        // "(t)" goes whole, and so do the spaces that set the field apart: those before
        // it, or else those after it.
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

QString timeWithSeconds(const QLocale& locale, QTime time) {
    return locale.toString(time, timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace vesk
