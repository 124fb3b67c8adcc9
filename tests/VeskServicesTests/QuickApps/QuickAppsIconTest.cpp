#include "VeskServices/QuickApps/QuickAppsService.h"

#include "support/Workspace/FakeDesktopApplications.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

using namespace vesk;
using namespace vesk::test;

// Every desk opening asks for the icons again: each app's icon is made once (so Qt's
// pixmap cache finds its sizes again), and again only when its entry file changed.
TEST(QuickAppsIconTest, EachAppKeepsOneIconUntilItsEntryChanges) {
    QTemporaryDir dir;
    auto applications = std::make_shared<FakeDesktopApplications>();
    QList<QuickApp> apps;
    for (const QString& name : {u"one"_qs, u"two"_qs}) {
        const QString path = dir.filePath(name + QStringLiteral(".desktop"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        applications->byID.insert(name, desktopEntry(name, name, path));
        apps.append(QuickApp{.id = QUuid::createUuid(), .bundleID = name, .name = name, .path = {}});
    }
    QuickAppsService service(
        QStringLiteral("QuickAppsIconTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces),
        {.applications = applications, .running = std::make_shared<FakeRunningApplications>()});

    const qint64 first = service.icon(apps[0])->cacheKey();
    for (int opening = 0; opening < 200; ++opening)
        for (const QuickApp& app : apps)
            ASSERT_TRUE(service.icon(app));
    EXPECT_EQ(applications->icons.load(), 2);
    EXPECT_EQ(service.icon(apps[0])->cacheKey(), first);

    QFile entry(applications->byID.value(u"one"_qs).path);
    ASSERT_TRUE(entry.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        entry.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    EXPECT_NE(service.icon(apps[0])->cacheKey(), first);
    EXPECT_EQ(applications->icons.load(), 3);
}
