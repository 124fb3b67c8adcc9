#include "VeskServices/QuickApps/QuickAppsService.h"

#include "support/Files.h"
#include "support/Workspace/FakeDesktopApplications.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace vesk;
using namespace vesk::test;

namespace {

class QuickAppsServiceTest : public ::testing::Test {
protected:
    // Each test keeps its file in a container of its own.
    QString container = QStringLiteral("QuickAppsTest-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    std::shared_ptr<FakeDesktopApplications> applications = std::make_shared<FakeDesktopApplications>();
    std::shared_ptr<FakeRunningApplications> running = std::make_shared<FakeRunningApplications>();

    std::unique_ptr<QuickAppsService> makeService(int* saves = nullptr) {
        auto service = std::make_unique<QuickAppsService>(
            container, QuickAppsService::Environment{.applications = applications, .running = running});
        if (saves) service->setOnChange([saves](const QList<QuickApp>&) { ++*saves; });
        return service;
    }

    static QuickApp app(const QString& id, const std::optional<QString>& path = std::nullopt) {
        return QuickApp{.id = QUuid::createUuid(), .bundleID = id, .name = id, .path = path};
    }
    static QStringList ids(const QList<QuickApp>& apps) {
        QStringList result;
        for (const QuickApp& a : apps)
            result << a.bundleID;
        return result;
    }
};

} // namespace

TEST_F(QuickAppsServiceTest, PinsOncePerExactIdAndAddingAFileOfAPinnedIdReturnsItWithoutSaving) {
    int saves = 0;
    auto service = makeService(&saves);
    service->add(app(QStringLiteral("org.example.Edit.desktop")));
    service->add(app(QStringLiteral("org.example.Edit.desktop")));
    service->add(app(QStringLiteral("org.example.edit.desktop")));
    EXPECT_EQ(ids(service->apps()), (QStringList{QStringLiteral("org.example.Edit.desktop"),
                                                 QStringLiteral("org.example.edit.desktop")}));
    EXPECT_EQ(saves, 2);

    applications->files.insert(QStringLiteral("/apps/edit.desktop"),
                               desktopEntry(QStringLiteral("org.example.Edit.desktop"),
                                            QStringLiteral("Edit"), QStringLiteral("/apps/edit.desktop")));
    const std::optional<QuickApp> added =
        service->add(QUrl::fromLocalFile(QStringLiteral("/apps/edit.desktop")));
    ASSERT_TRUE(added);
    EXPECT_EQ(added->name, QStringLiteral("Edit"));
    EXPECT_EQ(added->path, QStringLiteral("/apps/edit.desktop"));
    EXPECT_EQ(saves, 2);
    EXPECT_FALSE(service->add(QUrl::fromLocalFile(QStringLiteral("/apps/notes.txt"))));
    EXPECT_FALSE(service->add(QUrl(QStringLiteral("https://example.org/edit.desktop"))));

    // What was saved is what a new service reads.
    EXPECT_EQ(makeService()->apps(), service->apps());
}

TEST_F(QuickAppsServiceTest, MovesClampTheTargetAndABadSourceChangesNothing) {
    struct Row {
        int from;
        int to;
        const char* order;
        bool saved;
    };
    for (const Row& row : {Row{0, -1, "a b c", true}, Row{0, 99, "b c a", true}, Row{2, 0, "c a b", true},
                           Row{3, 0, "a b c", false}, Row{-1, 0, "a b c", false}}) {
        container += QLatin1Char('+');
        auto service = makeService();
        for (const char* id : {"a", "b", "c"})
            service->add(app(QString::fromLatin1(id)));
        int saves = 0;
        service->setOnChange([&](const QList<QuickApp>&) { ++saves; });
        service->move(row.from, row.to);
        EXPECT_EQ(ids(service->apps()).join(QLatin1Char(' ')), QLatin1String(row.order))
            << row.from << " to " << row.to;
        EXPECT_EQ(saves, row.saved ? 1 : 0) << row.from << " to " << row.to;
        const QList<QuickApp> pinned = service->apps();
        for (const QuickApp& a : pinned)
            service->remove(a);
    }
}

TEST_F(QuickAppsServiceTest, ResolvesByIdThenByStoredPathAndAMissingAppDoesNothing) {
    auto service = makeService();
    applications->byID.insert(QStringLiteral("moved.desktop"),
                              desktopEntry(QStringLiteral("moved.desktop"), QStringLiteral("Moved"),
                                           QStringLiteral("/new/moved.desktop")));
    applications->files.insert(QStringLiteral("/old/local.desktop"),
                               desktopEntry(QStringLiteral("local.desktop"), QStringLiteral("Local"),
                                            QStringLiteral("/old/local.desktop")));
    running->runningIDs.insert(QStringLiteral("moved.desktop"));

    const QuickApp moved = app(QStringLiteral("moved.desktop"), QStringLiteral("/old/moved.desktop"));
    const QuickApp local = app(QStringLiteral("local.desktop"), QStringLiteral("/old/local.desktop"));
    const QuickApp gone = app(QStringLiteral("gone.desktop"), QStringLiteral("/old/gone.desktop"));

    EXPECT_EQ(service->resolve(moved), QStringLiteral("/new/moved.desktop"));
    EXPECT_EQ(service->resolve(local), QStringLiteral("/old/local.desktop"));
    EXPECT_EQ(service->resolve(gone), std::nullopt);
    EXPECT_TRUE(service->isMissing(gone));
    EXPECT_FALSE(service->icon(gone));
    EXPECT_TRUE(service->icon(local));
    EXPECT_TRUE(service->isRunning(moved));
    EXPECT_FALSE(service->isRunning(local));

    service->launch(gone);
    service->launch(moved);
    EXPECT_EQ(applications->launched, QStringList{QStringLiteral("/new/moved.desktop")});
}

TEST_F(QuickAppsServiceTest, ADamagedFileKeepsItsReadableEntriesAndIsKeptAsideBeforeTheNextSave) {
    const QString folder = QFileInfo(makeService()->url()).absolutePath();
    const QString path = folder + QStringLiteral("/quickapps.json");
    const QByteArray damaged =
        R"([{"id":"7D2B4F8E-8C1A-4F5B-9E36-0A1B2C3D4E5F","bundleID":"kept.desktop","name":"Kept"},)"
        R"({"bundleID":"no-id.desktop","name":"No id"},42])";
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    auto service = makeService();
    EXPECT_EQ(ids(service->apps()), QStringList{QStringLiteral("kept.desktop")});

    service->add(app(QStringLiteral("new.desktop")));
    const QStringList aside = QDir(folder).entryList({QStringLiteral("quickapps.json.corrupt-*")});
    ASSERT_EQ(aside.size(), 1);
    QFile kept(folder + QLatin1Char('/') + aside.first());
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), damaged);
    EXPECT_EQ(ids(makeService()->apps()),
              (QStringList{QStringLiteral("kept.desktop"), QStringLiteral("new.desktop")}));

    // A file cut short keeps the entries before the cut.
    QFile::remove(path);
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged.left(damaged.indexOf("},") + 2) + R"({"id":"1)");
    }
    EXPECT_EQ(ids(makeService()->apps()), QStringList{QStringLiteral("kept.desktop")});
}

// Two copies (two displays) share the file; one pins while the disk is full. What the
// other unpins meanwhile stays unpinned through every retry, in both and on disk.
TEST_F(QuickAppsServiceTest, AnUnpinByTheOtherCopyHoldsThroughAWriteThatFailed) {
    auto a = makeService();
    a->add(app(QStringLiteral("alpha")));
    auto b = makeService();
    b->add(app(QStringLiteral("charlie")));
    {
        const ScopedFileSizeLimit full(16);
        a->add(app(QStringLiteral("delta")));
    }
    EXPECT_EQ(ids(a->apps()), (QStringList{"alpha", "delta", "charlie"}));
    b->remove(b->apps().last());
    a->add(app(QStringLiteral("echo")));
    EXPECT_EQ(ids(a->apps()), (QStringList{"alpha", "delta", "echo"}));
    EXPECT_EQ(ids(makeService()->apps()), ids(a->apps()));
    b->move(0, 0);
    EXPECT_EQ(ids(b->apps()), ids(a->apps()));
}
