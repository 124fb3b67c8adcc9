#pragma once

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QTime>

namespace vesk {

// The opt-in trace file "vesk-diagnostics.log" in the per-user temporary folder.
// Tracing is on for a call when VESK_TRACE is set (to anything) or the user default
// "diagnosticsOptIn" is true; both are read at every call. Each line is written with
// one append under a lock, so lines from several threads never interleave, and the
// file is never followed through a link nor written when another user owns it.
class TraceLog {
public:
    static QString fileName() { return QStringLiteral("vesk-diagnostics.log"); }
    static QString filePath();
    static bool isEnabled();

    // time + "  " + message
    static void trace(const QString& message);
    // time + "  [media] " + message
    static void traceMedia(const QString& message);

    // The last `limit` non-empty lines in file order; empty when the file is missing
    // or unreadable. A negative limit counts as 0.
    static QStringList recentLogLines(int limit);

    // The time as the user's locale (or `locale`) writes it, with seconds and without a
    // date or time zone.
    static QString timeStamp(const QTime& time, const QLocale& locale = QLocale::system());

private:
    static void append(const QString& line);
};

} // namespace vesk
