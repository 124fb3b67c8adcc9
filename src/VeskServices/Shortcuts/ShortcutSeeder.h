#pragma once

#include "VeskServices/Shortcuts/ShortcutEntry.h"

#include <QList>
#include <QSet>
#include <QStringList>

namespace vesk {

// The first-run choice of shortcuts for the desk, and the symbol that goes with a
// shortcut's name. Pure: no state, files or system calls.
struct ShortcutSeeder {
    // The most entries one seeding returns.
    static constexpr int limit = 4;

    // At most `limit` new entries from the listed names (in listing order) that are not
    // in `existing`: names suggesting quick system actions first, by keyword, then the
    // rest alphabetically without regard to case.
    static QList<ShortcutEntry> seed(const QStringList& available, const QSet<QString>& existing);
    // The symbol of the first keyword the name contains, ignoring case; else "sparkles".
    static QString symbol(const QString& name);
};

} // namespace vesk
