#include "VeskServices/Shortcuts/ShortcutSeeder.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

QStringList seededNames(const QStringList& available, const QSet<QString>& existing = {}) {
    QStringList names;
    for (const ShortcutEntry& entry : ShortcutSeeder::seed(available, existing)) {
        EXPECT_EQ(entry.symbol, ShortcutSeeder::symbol(entry.shortcutName));
        EXPECT_FALSE(entry.customName);
        EXPECT_FALSE(entry.textInput);
        names << entry.shortcutName;
    }
    return names;
}

QStringList split(const char* names) {
    return QString::fromUtf8(names).split(QLatin1Char('|'), Qt::SkipEmptyParts);
}

} // namespace

TEST(ShortcutSeederTest, PicksKeywordMatchesFirstThenTheRestAlphabetically) {
    struct Row {
        const char* available;
        const char* existing;
        const char* seeded;
    };
    for (const Row& row : {
             Row{"", "", ""},
             Row{"Note|Timer", "Note|Timer", ""},
             Row{"Zeta|Start Timer|alpha|Screenshot", "", "Start Timer|Screenshot|alpha|Zeta"},
             Row{"Timer 1|Timer 2|Timer 3|Timer 4|Timer 5|Timer 6", "", "Timer 1|Timer 2|Timer 3|Timer 4"},
             Row{"Twice|Twice|Once", "", "Once|Twice"},
             Row{"Mute|Focus Timer|Lock", "Lock", "Focus Timer|Mute"},
         }) {
        QSet<QString> existing;
        for (const QString& name : split(row.existing))
            existing.insert(name);
        EXPECT_EQ(seededNames(split(row.available), existing), split(row.seeded)) << row.available;
    }
}

TEST(ShortcutSeederTest, SymbolIsTheFirstKeywordTheNameContainsIgnoringCase) {
    struct Row {
        const char* name;
        const char* symbol;
    };
    for (const Row& row :
         {Row{"Start Timer", "timer"}, Row{"Screenshot", "camera.viewfinder"}, Row{"Clock", "lock.fill"},
          Row{"Alarm Clock", "alarm"}, Row{"Display", "play.fill"}, Row{"Wi-Fi", "sparkles"},
          Row{"FOCUS MODE", "moon.fill"}, Row{"Zeta", "sparkles"}, Row{"Open Map", "map.fill"}})
        EXPECT_EQ(ShortcutSeeder::symbol(QString::fromUtf8(row.name)), QLatin1String(row.symbol)) << row.name;
}
