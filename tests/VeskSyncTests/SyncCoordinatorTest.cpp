#include "StoreFixture.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskSync/SyncCoordinator.h"
#include "support/Cloud/FakeCloudContainer.h"
#include "support/ManualScheduler.h"

#include <QElapsedTimer>
#include <QLocale>

using namespace vesk;
using namespace vesk::test;

namespace {

class SyncCoordinatorTest : public StoreFixture {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        UserDefaults::setStandard(defaults);
    }
    void TearDown() override { UserDefaults::setStandard(nullptr); }

    std::unique_ptr<SyncCoordinator> coordinator() {
        return std::make_unique<SyncCoordinator>(QStringLiteral("iCloud.app.tessarn.notch"), cloud,
                                                 storePath());
    }

    ManualScheduler scheduler;
    ScopedMainScheduler scoped{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    std::shared_ptr<FakeCloudContainer> cloud = std::make_shared<FakeCloudContainer>();
};

const CloudError timedOut{std::nullopt, QStringLiteral("The request timed out.")};

} // namespace

TEST_F(SyncCoordinatorTest, StatusFollowsEntitlementSwitchAndAccount) {
    using Answers = QList<CloudContainer::AccountStatusResult>;
    const struct Case {
        const char* name;
        bool entitled, syncEnabled;
        Answers answers;
        QList<double> queryTimes; // seconds after the start
        const char* summary;
        bool localOnly;
        std::optional<QString> accountError;
    } cases[] = {
        {"available", true, true, {int(CloudContainer::available)}, {0}, "Synced", false, {}},
        {"undetermined three times",
         true,
         true,
         {int(CloudContainer::couldNotDetermine), int(CloudContainer::temporarilyUnavailable), 99},
         {0, 2, 6},
         "Couldn't reach the cloud",
         false,
         {}},
        {"a failure, then available",
         true,
         true,
         {timedOut, int(CloudContainer::available)},
         {0, 2},
         "Synced",
         false,
         {}},
        {"three failures",
         true,
         true,
         {timedOut, timedOut, timedOut},
         {0, 2, 6},
         "Couldn't reach the cloud",
         false,
         timedOut.description},
        {"restricted",
         true,
         true,
         {int(CloudContainer::restricted)},
         {0},
         "Cloud sync is restricted on this computer",
         false,
         {}},
        {"signed out",
         true,
         true,
         {int(CloudContainer::noAccount)},
         {0},
         "Not signed in to the cloud",
         false,
         {}},
        {"sync off", true, false, {}, {}, "Turned off in Vesk's settings", true, {}},
        {"not entitled", false, true, {}, {}, "Couldn't reach the cloud", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        cloud = std::make_shared<FakeCloudContainer>();
        cloud->entitled = c.entitled;
        cloud->statuses = c.answers;
        if (!c.entitled) cloud->prepareError = CloudError{std::nullopt, QStringLiteral("no cloud here")};
        QList<double> queries;
        auto sync = coordinator();
        const Date start = scheduler.now();
        bool done = false;
        sync->start(c.syncEnabled, [&] { done = true; });
        for (int second = 0; second <= 10; ++second) {
            while (cloud->asked.count(QStringLiteral("accountStatus")) > queries.size())
                queries << (scheduler.now() - start);
            scheduler.advance(1);
        }
        EXPECT_TRUE(done);
        EXPECT_EQ(queries, c.queryTimes);
        EXPECT_EQ(sync->status().summary(), QString::fromUtf8(c.summary));
        EXPECT_EQ(sync->isLocalOnly(), c.localOnly);
        EXPECT_EQ(sync->accountError(), c.accountError);
        EXPECT_TRUE(sync->container()) << "every path opens the store";
        EXPECT_EQ(sync->mirror() != nullptr, !c.localOnly);
        if (!c.entitled) {
            EXPECT_EQ(sync->containerError(), QStringLiteral("no cloud here"));
            EXPECT_FALSE(cloud->onAccountChanged) << "no observers without a cloud";
        }
        if (!c.syncEnabled) {
            // "Check now" on a local store.
            sync->refreshAccountStatus();
            EXPECT_EQ(sync->status().summary(), QStringLiteral("Couldn't reach the cloud"));
        }
    }
}

TEST_F(SyncCoordinatorTest, SyncEventsMoveTheLastSyncOnlyWhenTheyWorked) {
    auto sync = coordinator();
    sync->start(true);
    const Date now = Date::now();
    sync->handleSyncEvent(SyncEvent{});
    EXPECT_EQ(sync->status().summary(), QStringLiteral("Syncing\u2026"));
    sync->handleSyncEvent(SyncEvent{now - 300, true, std::nullopt});
    EXPECT_EQ(sync->status(), SyncStatus::idle(now - 300));
    EXPECT_EQ(sync->status().summary(now), QStringLiteral("Synced 5 min. ago"));
    EXPECT_EQ(defaults->doubleValue(QStringLiteral("lastSyncDate")), (now - 300).secondsSinceReferenceDate);

    // A failure is not a sync: the last one stays.
    sync->handleSyncEvent(SyncEvent{now, false, timedOut});
    EXPECT_EQ(sync->status(), SyncStatus::idle(now - 300));
    sync->handleSyncEvent(SyncEvent{now, false, CloudError{25, QStringLiteral("Quota exceeded")}});
    EXPECT_EQ(sync->status().summary(), QStringLiteral("Your cloud storage is full"));
    EXPECT_EQ(defaults->doubleValue(QStringLiteral("lastSyncDate")), (now - 300).secondsSinceReferenceDate);

    // Once stopped, nothing the cloud says changes the status.
    sync->stop();
    EXPECT_FALSE(cloud->onAccountChanged);
    EXPECT_EQ(relativeDateText(now + 2 * 86400, now), QStringLiteral("in 2 days"));
}

// The text is counted, not stepped through: any distance comes back at once, with the
// calendar's whole units.
TEST_F(SyncCoordinatorTest, RelativeTextCountsAnyDistanceInWholeCalendarUnits) {
    const Date now = Date::fromDateTime(QDateTime(QDate(2026, 1, 31), QTime(12, 0)));
    const auto at = [&](QDate date, QTime time = QTime(12, 0)) {
        return relativeDateText(Date::fromDateTime(QDateTime(date, time)), now);
    };
    EXPECT_EQ(at(QDate(2026, 2, 27)), QStringLiteral("in 3 wk."));
    EXPECT_EQ(at(QDate(2026, 2, 28)), QStringLiteral("in 1 mo.")) << "a month from the 31st ends with February";
    EXPECT_EQ(at(QDate(2026, 3, 31)), QStringLiteral("in 2 mo."));
    EXPECT_EQ(at(QDate(2025, 1, 31), QTime(12, 1)), QStringLiteral("11 mo. ago"));
    EXPECT_EQ(at(QDate(2026, 1, 31), QTime(9, 59)), QStringLiteral("2 hr. ago"));

    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_EQ(at(QDate(12026, 1, 31)), QStringLiteral("in 10,000 yr."));
    EXPECT_EQ(at(QDate(-7975, 1, 31)), QStringLiteral("10,000 yr. ago")) << "across the missing year 0";
    // Beyond what the calendar counts: the farthest date it can, not a stall.
    for (const double seconds : {1e300, -1e300, 3e16})
        EXPECT_FALSE(relativeDateText(Date{seconds}, now).isEmpty());
    EXPECT_LT(elapsed.elapsed(), 5000);
}
