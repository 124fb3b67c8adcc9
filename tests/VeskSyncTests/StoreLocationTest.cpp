#include "StoreFixture.h"

#include "VeskSync/SyncCoordinator.h"

#include <QDir>

#include <functional>

using namespace vesk;
using namespace vesk::test;

namespace {

class StoreLocationTest : public StoreFixture {
public:
    // A store of ours with three to-dos at `path`; with `log`, they are still only in
    // its log, as a program that was killed leaves it.
    void makeStore(const QString& path, bool log) {
        const QString source = m_folder.path() + QStringLiteral("/source-%1.store").arg(++m_sources);
        openStore(source); // made and closed: the header is in the file
        auto container = openStore(source);
        {
            ModelContext context(container);
            for (int i = 0; i < 3; ++i)
                context.insert(todo(QStringLiteral("old %1").arg(i)));
            ASSERT_TRUE(context.save());
        }
        if (log) {
            ASSERT_TRUE(QFile::copy(source, path));
            ASSERT_TRUE(QFile::copy(source + "-wal", path + "-wal"));
            return;
        }
        container.reset();
        ASSERT_FALSE(QFileInfo::exists(source + "-wal"));
        ASSERT_TRUE(QFile::copy(source, path));
    }
    int storedTodos(const QString& path) {
        auto container = openStore(path);
        return container ? int(ModelContext(container).fetch<SyncedTodo>()->size()) : -1;
    }
    int m_sources = 0;
};

} // namespace

TEST_F(StoreLocationTest, MovesOnlyOurWholeStoreIntoAnEmptyPlace) {
    const struct Case {
        const char* name;
        std::function<void(StoreLocationTest&, const QString& as, const QString& target)> setup;
        bool moved;
        bool assetsMoved;
    } cases[] = {
        {"nothing there", [](auto&, auto&, auto&) {}, false, false},
        {"store with its log",
         [](StoreLocationTest& t, const QString& as, auto&) { t.makeStore(as + "/default.store", true); },
         true, false},
        {"store and assets",
         [](StoreLocationTest& t, const QString& as, auto&) {
             t.makeStore(as + "/default.store", false);
             QDir(as).mkpath("default_ckAssets");
         },
         true, true},
        {"assets already there",
         [](StoreLocationTest& t, const QString& as, const QString& target) {
             t.makeStore(as + "/default.store", false);
             QDir(as).mkpath("default_ckAssets");
             QDir().mkpath(QFileInfo(target).absolutePath() + "/Vesk_ckAssets");
         },
         true, false},
        {"new store exists",
         [](StoreLocationTest& t, const QString& as, const QString& target) {
             t.makeStore(as + "/default.store", false);
             t.makeStore(target, false);
         },
         false, false},
        {"only the new store's log exists",
         [](StoreLocationTest& t, const QString& as, const QString& target) {
             t.makeStore(as + "/default.store", false);
             write(target + "-wal", "stale");
         },
         false, false},
        {"assets without a store",
         [](auto&, const QString& as, auto&) { QDir(as).mkpath("default_ckAssets"); }, false, false},
        {"another program's default.store",
         [](StoreLocationTest&, const QString& as, auto&) {
             sqlite::Connection db;
             ASSERT_TRUE(db.open(as + "/default.store", true));
             ASSERT_TRUE(db.exec(
                 "CREATE TABLE theirs (x); PRAGMA journal_mode = WAL; INSERT INTO theirs VALUES (1)"));
             db.setCheckpointOnClose(false);
         },
         false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir as;
        const QByteArray saved = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(as.path()));
        const QString target = SyncCoordinator::storeURL();
        EXPECT_EQ(target, as.path() + "/Vesk/Vesk.store");
        EXPECT_TRUE(QFileInfo(as.path() + "/Vesk").isDir());
        c.setup(*this, as.path(), target);
        QMap<QString, QByteArray> before;
        for (const QString& name : QDir(as.path()).entryList({"default*"}, QDir::Files))
            before.insert(name, bytes(as.filePath(name)));

        SyncCoordinator::migrateLegacyStoreIfNeeded(target);

        if (c.moved) {
            EXPECT_FALSE(QFileInfo::exists(as.path() + "/default.store"));
            EXPECT_FALSE(QFileInfo::exists(target + "-wal")) << "a log was moved beside the store";
            EXPECT_EQ(storedTodos(target), 3);
        } else {
            QMap<QString, QByteArray> after;
            for (const QString& name : QDir(as.path()).entryList({"default*"}, QDir::Files))
                after.insert(name, bytes(as.filePath(name)));
            EXPECT_EQ(after, before) << "the old files changed";
        }
        EXPECT_EQ(QFileInfo::exists(as.path() + "/default_ckAssets"),
                  !c.assetsMoved && QString(c.name).contains("assets"));
        qputenv("XDG_DATA_HOME", saved);
    }
}

TEST_F(StoreLocationTest, LeavesAStoreWhoseLogCannotBeFoldedIn) {
    QTemporaryDir as;
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(as.path()));
    const QString legacy = as.path() + "/default.store";
    makeStore(legacy, true);
    // A reader in the middle of a read keeps the log from being emptied.
    auto reader = peer(legacy);
    ASSERT_TRUE(reader.exec("BEGIN"));
    ASSERT_TRUE(reader.integer("SELECT count(*) FROM SyncedTodo"));

    const QString target = SyncCoordinator::storeURL();
    SyncCoordinator::migrateLegacyStoreIfNeeded(target);
    EXPECT_TRUE(QFileInfo::exists(legacy));
    EXPECT_TRUE(QFileInfo::exists(legacy + "-wal"));
    EXPECT_FALSE(QFileInfo::exists(target));
    reader.exec("COMMIT");
    qputenv("XDG_DATA_HOME", saved);
}
