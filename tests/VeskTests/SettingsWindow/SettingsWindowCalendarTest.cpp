#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/SettingsWindow/Panes/CalendarPane.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Calendar/CalendarService.h"

#include "support/Calendar/FakeCalendarStore.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLocale>
#include <QTemporaryDir>

namespace vesk {
namespace {

using calendarVisibility::noneMarker;
using calendarVisibility::setVisible;
using test::FakeCalendarStore;
using Ids = CalendarIdentifiers;

TEST(SettingsWindowCalendarTest, SwitchingCalendarsStoresWhatIsVisible) {
    const QStringList all{"a", "b", "c"};
    const struct {
        Ids stored;
        const char* id;
        bool on;
        Ids result;
    } cases[] = {
        {{}, "b", false, {"a", "c"}},                   // from all visible, the others
        {{"a"}, "a", false, {noneMarker()}},            // the last one off: the marker
        {{noneMarker()}, "c", true, {"c"}},             // back on: the marker goes
        {{"a", "gone"}, "b", true, {"a", "gone", "b"}}, // a vanished calendar stays stored
    };
    for (const auto& c : cases)
        EXPECT_EQ(setVisible(c.stored, all, QLatin1String(c.id), c.on), c.result) << c.id;
    EXPECT_TRUE(calendarVisibility::isVisible({}, "x"));
    EXPECT_FALSE(calendarVisibility::isVisible({noneMarker()}, "x"));

    // The marker survives the defaults file.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("defaults.json"));
    {
        auto defaults = UserDefaults::atPath(path);
        SettingsStore settings(*defaults);
        settings.setVisibleCalendars({noneMarker()});
    }
    auto reopened = UserDefaults::atPath(path);
    EXPECT_EQ(SettingsStore(*reopened).visibleCalendars(), Ids{noneMarker()});
}

TEST(SettingsWindowCalendarTest, ThePaneListsCalendarsAndCallsTheFilterOncePerChange) {
    auto state = std::make_shared<FakeCalendarStore::State>();
    state->calendars = {{QStringLiteral("home"), QStringLiteral("Home"), QStringLiteral("#ff0000")},
                        {QStringLiteral("work"), QStringLiteral("Work"), {}}};
    CalendarService service(Date::now, [state] { return std::make_unique<FakeCalendarStore>(state); });
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    int filters = 0, refreshes = 0, opened = 0;
    std::unique_ptr<QWidget> pane(makeCalendarPane(
        settings, &service, [&] { ++filters; }, [&] { ++refreshes; }, [&] { ++opened; }));
    auto* access = pane->findChild<QWidget*>(QStringLiteral("access"));
    EXPECT_EQ(pane->findChild<SmallAccentButton*>(QStringLiteral("accessButton"))->text(),
              QStringLiteral("Allow Access"));
    EXPECT_FALSE(access->isHidden());

    service.start();
    ASSERT_TRUE(test::processEventsUntil([&] { return service.calendars().size() == 2; }, 20000))
        << "the calendars never came";
    EXPECT_TRUE(access->isHidden()) << "granted: no access card";
    auto* home = pane->findChild<SwitchToggle*>(QStringLiteral("calendar.home"));
    ASSERT_NE(home, nullptr);
    EXPECT_TRUE(home->isChecked());

    home->click();
    EXPECT_EQ(settings.visibleCalendars(), Ids{QStringLiteral("work")});
    EXPECT_EQ(filters, 1);
    pane->findChild<QAbstractButton*>(QStringLiteral("clear"))->click();
    EXPECT_EQ(settings.visibleCalendars(), Ids{noneMarker()});
    EXPECT_FALSE(pane->findChild<SwitchToggle*>(QStringLiteral("calendar.work"))->isChecked());
    pane->findChild<QAbstractButton*>(QStringLiteral("selectAll"))->click();
    EXPECT_TRUE(settings.visibleCalendars().isEmpty());
    EXPECT_EQ(filters, 3);

    // Each distinct events setting calls the filter once; the activity settings never.
    settings.setCalendarDaysAhead(9);
    settings.setCalendarDaysAhead(9);
    settings.setShowAllDayEvents(true);
    settings.setCalendarLeadMinutes(15);
    settings.setDetectMeetingLinks(false);
    EXPECT_EQ(filters, 5);
    pane->findChild<QAbstractButton*>(QStringLiteral("refresh"))->click();
    EXPECT_EQ(refreshes, 1);
    ASSERT_TRUE(service.lastRefresh().has_value());
    EXPECT_TRUE(pane->findChild<TextView*>(QStringLiteral("lastRefreshed"))
                    ->text()
                    .startsWith(QStringLiteral("Last refreshed ")));
    service.stop();
}

TEST(SettingsWindowCalendarTest, TheRefreshTimeDropsOnlyTheTimeZone) {
    const struct {
        const char* locale;
        const char* shown;
    } cases[] = {
        {"es_ES", "9:05:32"},  {"ca_ES", "9:05:32"},     {"en_US", "9:05:32 AM"},
        {"de_DE", "09:05:32"}, {"ja_JP", "9時05分32秒"}, {"fr_CA", "09 h 05 min 32 s"},
        {"zh_CN", "09:05:32"}, {"zh_TW", "上午9:05:32"}, // a CLDR day period, which Qt lacks
    };
    for (const auto& c : cases)
        EXPECT_EQ(refreshedTime(QLocale(QLatin1String(c.locale)), QTime(9, 5, 32)),
                  QString::fromUtf8(c.shown))
            << c.locale << " from "
            << QLocale(QLatin1String(c.locale)).timeFormat(QLocale::LongFormat).toStdString();
    // Quoted letters are text, not fields.
    EXPECT_EQ(timeFormatWithoutZone(u"HH 'at' mm [t]"_qs), u"HH 'at' mm"_qs);
    EXPECT_EQ(timeFormatWithoutZone(u"HH' o''clock t'"_qs), u"HH' o''clock t'"_qs);
}

TEST(SettingsWindowCalendarTest, RestrictedAccessOpensTheSettings) {
    auto state = std::make_shared<FakeCalendarStore::State>();
    state->access = CalendarAccess::restricted;
    CalendarService service(Date::now, [state] { return std::make_unique<FakeCalendarStore>(state); });
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    int opened = 0;
    std::unique_ptr<QWidget> pane(makeCalendarPane(settings, &service, {}, {}, [&] { ++opened; }));
    service.start();
    ASSERT_TRUE(
        test::processEventsUntil([&] { return service.access() == CalendarAccess::restricted; }, 20000));
    auto* button = pane->findChild<SmallAccentButton*>(QStringLiteral("accessButton"));
    EXPECT_EQ(button->text(), QStringLiteral("Open Desktop Settings"));
    button->click();
    EXPECT_EQ(opened, 1);
    service.stop();
}

} // namespace
} // namespace vesk
