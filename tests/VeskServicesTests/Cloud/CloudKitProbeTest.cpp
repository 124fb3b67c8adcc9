#include "VeskServices/Cloud/CloudKitProbe.h"

#include "support/Cloud/FakeCloudContainer.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QRegularExpression>

using namespace vesk;
using namespace vesk::test;

namespace {

const QString container = QStringLiteral("iCloud.app.tessarn.notch");

std::optional<CloudKitProbe::Result> runProbe(std::shared_ptr<CloudContainer> cloud) {
    ManualScheduler scheduler;
    ScopedMainScheduler onManual(scheduler);
    std::optional<CloudKitProbe::Result> result;
    CloudKitProbe{container, std::move(cloud)}.run([&](CloudKitProbe::Result r) { result = r; });
    EXPECT_FALSE(result) << "the result comes later, never from inside run()";
    scheduler.runPending();
    return result;
}

} // namespace

// Linux has no private cloud database: the probe stops at the entitlement, and an
// unentitled copy never touches a container.
TEST(CloudKitProbeTest, ThisSystemsContainerIsUnentitled) {
    const auto result = runProbe(makeCloudContainer(container));
    ASSERT_TRUE(result);
    EXPECT_EQ(*result,
              (CloudKitProbe::Result{QStringLiteral("unentitled"), false,
                                     QStringLiteral("There is no private cloud database on this system.")}));
    EXPECT_EQ(result->summary(),
              QStringLiteral("❌ Cloud unreachable — There is no private cloud database on this system."));

    auto cloud = std::make_shared<FakeCloudContainer>();
    cloud->entitled = false;
    EXPECT_EQ(runProbe(cloud), result);
    EXPECT_TRUE(cloud->asked.isEmpty());
}

TEST(CloudKitProbeTest, AccountStatusesOtherThanAvailableAreReportedInWords) {
    const std::pair<int, const char*> table[] = {
        {0, "could not determine"},     {2, "restricted"}, {3, "no account"},
        {4, "temporarily unavailable"}, {9, "unknown"},
    };
    for (const auto& [status, words] : table) {
        SCOPED_TRACE(words);
        auto cloud = std::make_shared<FakeCloudContainer>();
        cloud->status = status;
        const auto result = runProbe(cloud);
        ASSERT_TRUE(result);
        EXPECT_EQ(*result, (CloudKitProbe::Result{QString::fromUtf8(words), false,
                                                  QStringLiteral("the cloud account is ") +
                                                      QString::fromUtf8(words)}));
        EXPECT_EQ(cloud->asked, QStringList{QStringLiteral("accountStatus")});
    }

    auto failing = std::make_shared<FakeCloudContainer>();
    failing->status = CloudError{std::nullopt, QStringLiteral("The network is down.")};
    EXPECT_EQ(*runProbe(failing),
              (CloudKitProbe::Result{QStringLiteral("error"), false,
                                     QStringLiteral("accountStatus failed: The network is down.")}));
}

TEST(CloudKitProbeTest, ARoundTripWritesReadsAndDeletesOneProbeRecord) {
    auto cloud = std::make_shared<FakeCloudContainer>();
    cloud->removeError = CloudError{11, QStringLiteral("Record not found")};
    const auto result = runProbe(cloud);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, (CloudKitProbe::Result{QStringLiteral("available"), true,
                                              QStringLiteral("write + read + delete succeeded")}))
        << "a failing delete still counts as reachable";
    EXPECT_EQ(result->summary(), QStringLiteral("✅ Cloud reachable (account: available)"));

    EXPECT_EQ(cloud->saved.recordType, QStringLiteral("VeskProbe"));
    static const QRegularExpression name(
        QStringLiteral("^vesk-probe-[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
    EXPECT_TRUE(name.match(cloud->saved.recordName).hasMatch()) << qPrintable(cloud->saved.recordName);
    const QDateTime stamp = cloud->saved.fields.value(QStringLiteral("stamp")).toDateTime();
    EXPECT_LE(std::abs(stamp.secsTo(QDateTime::currentDateTimeUtc())), 5);
    EXPECT_EQ(cloud->asked, (QStringList{QStringLiteral("accountStatus"), QStringLiteral("save"),
                                         QStringLiteral("fetch ") + cloud->saved.recordName,
                                         QStringLiteral("remove ") + cloud->saved.recordName}));
}

TEST(CloudKitProbeTest, SaveAndFetchFailuresNameTheCloudErrorCode) {
    auto rejected = std::make_shared<FakeCloudContainer>();
    rejected->saveError = CloudError{9, QStringLiteral("Not authenticated")};
    EXPECT_EQ(*runProbe(rejected), (CloudKitProbe::Result{QStringLiteral("available"), false,
                                                          QStringLiteral("CKError 9: Not authenticated")}));
    EXPECT_EQ(rejected->asked.size(), 2) << "nothing fetched after a failed save";

    auto unreadable = std::make_shared<FakeCloudContainer>();
    unreadable->fetchError = CloudError{std::nullopt, QStringLiteral("The request timed out.")};
    const auto result = runProbe(unreadable);
    EXPECT_EQ(*result, (CloudKitProbe::Result{QStringLiteral("available"), false,
                                              QStringLiteral("The request timed out.")}));
    EXPECT_EQ(result->summary(), QStringLiteral("❌ Cloud unreachable — The request timed out."));
}
