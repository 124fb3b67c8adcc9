#include "VeskPlatform/Calendar/EdsCalendarModule.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Calendar/DeferredCalendarStore.h"
#include "VeskPlatform/Calendar/Eds/EdsCalendarStore.h"

#include "support/Calendar/EdsSession.h"
#include "support/Calendar/FakeCalendarStore.h"
#include "support/EventLoop.h"
#include "support/OwnProcess.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <atomic>

namespace vesk::test {
namespace {

TEST(EdsCalendarModuleTest, theProgramsLoaderReadsThroughTheModuleAsTheStoreItself) {
    if (!runsInOwnProcess()) return;
    EdsSession eds;
    ASSERT_TRUE(eds.ok()) << qPrintable(eds.error());
    ASSERT_TRUE(eds.writer()) << "no writing client";
    ASSERT_FALSE(eds.add(QStringLiteral("BEGIN:VEVENT\nUID:loaded\nSUMMARY:Through the module\n"
                                        "DTSTART:20261208T090000Z\nDTEND:20261208T093000Z\nEND:VEVENT"))
                     .isEmpty());
    const QString path = edsCalendarModule::defaultPath();
    ASSERT_TRUE(QFileInfo::exists(path)) << qPrintable(path);

    SerialQueue queue{QStringLiteral("test.calendar")};
    std::unique_ptr<CalendarStore> store;
    queue.sync([&] { store = edsCalendarModule::deferred(path); });
    CalendarAccess loaded = CalendarAccess::notDetermined;
    CalendarAccess direct = CalendarAccess::notDetermined;
    QString reason;
    queue.sync([&] {
        loaded = store->access(&reason);
        direct = EdsCalendarStore(nullptr).access(nullptr);
    });
    EXPECT_EQ(loaded, direct);
    ASSERT_EQ(loaded, CalendarAccess::granted) << qPrintable(reason);

    std::atomic<bool> opened = false;
    queue.async([&] { store->open([&] { opened = true; }); });
    ASSERT_TRUE(processEventsUntil([&] { return opened.load(); }, 30000)) << "the store never opened";
    QList<CalendarStoreCalendar> calendars;
    std::optional<QList<CalendarStoreEvent>> events;
    queue.sync([&] {
        calendars = store->calendars();
        events = store->events({EdsSession::personalCalendar()},
                               *Date::fromIso8601(QStringLiteral("2026-12-08T00:00:00Z")),
                               *Date::fromIso8601(QStringLiteral("2026-12-09T00:00:00Z")));
    });
    EXPECT_TRUE(std::any_of(calendars.cbegin(), calendars.cend(), [](const CalendarStoreCalendar& calendar) {
        return calendar.id == EdsSession::personalCalendar();
    }));
    ASSERT_TRUE(events.has_value()) << "the store did not answer";
    ASSERT_EQ(events->size(), 1);
    EXPECT_EQ(events->first().uid, QStringLiteral("loaded"));
    EXPECT_EQ(events->first().title, QStringLiteral("Through the module"));

    queue.sync([&] { store.reset(); });
    queue.shutdown();
}

TEST(EdsCalendarModuleTest, aModuleThatCannotBeLoadedLeavesTheCalendarRestricted) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString garbage = folder.filePath(QLatin1String(edsCalendarModule::fileName));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("not a shared object");
    file.close();

    // Missing, not a library, and a bare name that would be searched for.
    for (const QString& path : {folder.filePath(QStringLiteral("missing.so")), garbage,
                                QString::fromLatin1(edsCalendarModule::fileName)}) {
        SCOPED_TRACE(path.toStdString());
        const std::unique_ptr<CalendarStore> store = edsCalendarModule::load(path);
        QString reason;
        EXPECT_EQ(store->access(&reason), CalendarAccess::restricted);
        EXPECT_TRUE(reason.contains(path)) << qPrintable(reason);
        bool opened = false;
        store->open([&] { opened = true; });
        EXPECT_TRUE(opened);
        EXPECT_TRUE(store->calendars().isEmpty());
        EXPECT_EQ(store->events({EdsSession::personalCalendar()}, Date::now(), Date::now() + 3600),
                  std::nullopt);
    }
}

TEST(DeferredCalendarStoreTest, makesTheStoreOnceOnItsFirstCallAndPassesAnEarlierCancelOn) {
    auto state = std::make_shared<FakeCalendarStore::State>();
    int made = 0;
    DeferredCalendarStore store([&] {
        ++made;
        return std::make_unique<FakeCalendarStore>(state);
    });
    store.cancel();
    EXPECT_EQ(made, 0);
    EXPECT_EQ(store.access(nullptr), CalendarAccess::granted);
    EXPECT_EQ(made, 1);
    EXPECT_TRUE(state->cancelled) << "a cancel before the store was made was lost";
    store.renew();
    EXPECT_FALSE(state->cancelled);
    EXPECT_TRUE(store.events({}, Date::now(), Date::now() + 60).has_value());
    store.cancel();
    EXPECT_TRUE(state->cancelled);
    EXPECT_EQ(made, 1);
}

} // namespace
} // namespace vesk::test
