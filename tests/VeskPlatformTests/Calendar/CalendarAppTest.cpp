#include "VeskPlatform/Calendar/CalendarApp.h"

#include <gtest/gtest.h>

#include <QSet>

namespace vesk::test {
namespace {

// Which applications are installed, and what was started.
struct FakeDesktop {
    QSet<QString> installed;
    bool hasDefault = false;
    QStringList started;
    QStringList traced;

    CalendarApp::Lookups lookups() {
        return {[this](const QString& id) { return installed.contains(id); },
                [this](const QString& program, const QStringList& arguments) {
                    started << (QStringList{program} + arguments).join(QLatin1Char(' '));
                    return true;
                },
                [this] {
                    if (hasDefault) started << QStringLiteral("default text/calendar");
                    return hasDefault;
                },
                [this](const QString& line) { traced << line; }};
    }
};

TEST(CalendarAppTest, theFirstInstalledCalendarApplicationShowsTheEvent) {
    const CalendarItem occurrence{QStringLiteral("cal 1:uid&1:20261201T100000Z"), QStringLiteral("cal 1"),
                                  QStringLiteral("uid&1"), QStringLiteral("20261201T100000Z")};
    struct Case {
        QSet<QString> installed;
        bool hasDefault;
        QString expected;
    };
    const QList<Case> cases{
        {{"org.gnome.Calendar.desktop", "org.gnome.Evolution.desktop"},
         true,
         "gnome-calendar --uuid cal 1:uid&1:20261201T100000Z"},
        {{"org.gnome.Evolution.desktop"},
         true,
         "evolution calendar:///?source-uid=cal%201&comp-uid=uid%261&comp-rid=20261201T100000Z"},
        {{}, true, "default text/calendar"},
    };
    for (const Case& c : cases) {
        FakeDesktop desktop{c.installed, c.hasDefault, {}, {}};
        EXPECT_TRUE(CalendarApp::openNow(occurrence, desktop.lookups()));
        EXPECT_EQ(desktop.started, QStringList{c.expected});
    }

    FakeDesktop bare;
    EXPECT_FALSE(CalendarApp::openNow(occurrence, bare.lookups()));
    EXPECT_TRUE(bare.started.isEmpty());
    EXPECT_EQ(bare.traced.size(), 1);

    FakeDesktop evolution{{"org.gnome.Evolution.desktop"}, false, {}, {}};
    CalendarApp::openNow({QStringLiteral("work-12.0"), QStringLiteral("work"), {}, {}}, evolution.lookups());
    EXPECT_EQ(evolution.started, QStringList{"evolution calendar:///?source-uid=work"});
}

} // namespace
} // namespace vesk::test
