#include "TrayTestSupport.h"

#include "VeskServices/Tray/TrayIndex.h"
#include "support/Files.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

using namespace vesk;
using namespace vesk::test;

namespace {

QStringList asideCopies(const QString& trayRoot) {
    return QDir(trayRoot).entryList({QStringLiteral("index.json.corrupt-*")}, QDir::Files);
}

void writeRaw(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QSet<QString> storedPaths(const QList<TrayItem>& items) {
    QSet<QString> set;
    for (const TrayItem& item : items)
        set.insert(item.storedPath);
    return set;
}

} // namespace

class TrayRecoveryTest : public TrayTest {
protected:
    // A tray of `count` copied files, with the index as it was saved.
    QList<TrayItem> fill(int count) {
        auto store = openManual();
        for (int i = 0; i < count; ++i) {
            m_scheduler.clock().advance(1);
            store->add({url(makeFile(QStringLiteral("file%1.txt").arg(i), QByteArray::number(i)))}, false);
        }
        run();
        return store->items();
    }
};

TEST_F(TrayRecoveryTest, AFiftyItemTraySurvivesAnEntryThatNoLongerDecodes) {
    const QList<TrayItem> before = fill(50);
    ASSERT_EQ(before.size(), 50);
    QByteArray index = contents(trayRoot() + QStringLiteral("/index.json"));
    const QByteArray victim = "\"displayName\":\"" + before[20].displayName.toUtf8() + "\"";
    ASSERT_TRUE(index.contains(victim));
    index.replace(victim, "\"displayName\":20");
    writeRaw(trayRoot() + QStringLiteral("/index.json"), index);

    auto store = openManual();
    ASSERT_EQ(store->items().size(), 50);
    EXPECT_EQ(storedPaths(store->items()), storedPaths(before));
    for (const TrayItem& item : before)
        EXPECT_EQ(contents(item.storedPath), item.displayName.mid(4).chopped(4).toUtf8());
    // The 49 readable entries are kept as they were, in their order; the other is adopted.
    QList<TrayItem> readable = before;
    readable.removeAt(20);
    QList<TrayItem> kept = store->items();
    const auto adopted =
        std::find_if(kept.begin(), kept.end(), [&](const TrayItem& i) { return i.id == before[20].id; });
    ASSERT_NE(adopted, kept.end());
    EXPECT_EQ(adopted->displayName, before[20].displayName);
    EXPECT_FALSE(adopted->originalPath) << "an adopted file is treated as the only copy";
    kept.erase(adopted);
    EXPECT_EQ(kept, readable);
    // The damaged file is kept aside byte for byte, and the new index reads whole.
    const QStringList aside = asideCopies(trayRoot());
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(contents(trayRoot() + QLatin1Char('/') + aside.first()), index);
    const auto reread = tray_index::read(store->indexPath());
    EXPECT_EQ(reread.condition, tray_index::Condition::intact);
    EXPECT_EQ(reread.items, store->items());
}

TEST_F(TrayRecoveryTest, AFiftyItemTraySurvivesAnIndexCutShort) {
    const QList<TrayItem> before = fill(50);
    const QByteArray index = contents(trayRoot() + QStringLiteral("/index.json"));
    writeRaw(trayRoot() + QStringLiteral("/index.json"), index.left(index.size() / 2));

    auto store = openManual();
    ASSERT_EQ(store->items().size(), 50);
    EXPECT_EQ(storedPaths(store->items()), storedPaths(before));
    // Entries before the cut keep everything they knew, the source path included.
    const auto newest = std::find_if(store->items().cbegin(), store->items().cend(),
                                     [&](const TrayItem& i) { return i.id == before.first().id; });
    ASSERT_NE(newest, store->items().cend());
    EXPECT_EQ(*newest, before.first());
    EXPECT_EQ(asideCopies(trayRoot()).size(), 1);
    for (const TrayItem& item : before)
        EXPECT_TRUE(QFile::exists(item.storedPath));
}

TEST_F(TrayRecoveryTest, AnUnreadableIndexAdoptsOnlyFoldersHoldingOneStoredEntry) {
    const QList<TrayItem> before = fill(2);
    // The user's own "thumb.png" alone, and a file beside an older version's preview.
    const QString onlyThumb = trayRoot() + QLatin1Char('/') + json::uuidString(QUuid::createUuid());
    QDir().mkpath(onlyThumb);
    writeRaw(onlyThumb + QStringLiteral("/thumb.png"), "mine");
    const QString legacy = trayRoot() + QLatin1Char('/') + json::uuidString(QUuid::createUuid());
    QDir().mkpath(legacy);
    writeRaw(legacy + QStringLiteral("/photo.jpg"), "photo");
    writeRaw(legacy + QStringLiteral("/thumb.png"), "png");
    // A folder holding two entries is left alone.
    const QString two = trayRoot() + QLatin1Char('/') + json::uuidString(QUuid::createUuid());
    QDir().mkpath(two);
    writeRaw(two + QStringLiteral("/a.txt"), "a");
    writeRaw(two + QStringLiteral("/b.txt"), "b");
    // And so is anything not named like an item.
    QDir().mkpath(trayRoot() + QStringLiteral("/not-an-id"));
    writeRaw(trayRoot() + QStringLiteral("/not-an-id/c.txt"), "c");
    writeRaw(trayRoot() + QStringLiteral("/index.json"), "this is not JSON");

    auto store = openManual();
    const QSet<QString> adopted{onlyThumb + "/thumb.png", legacy + "/photo.jpg"};
    EXPECT_EQ(storedPaths(store->items()), storedPaths(before) + adopted);
    EXPECT_EQ(contents(onlyThumb + QStringLiteral("/thumb.png")), "mine");
    EXPECT_TRUE(QFile::exists(two + QStringLiteral("/a.txt")));
    EXPECT_TRUE(QFile::exists(two + QStringLiteral("/b.txt")));
    EXPECT_TRUE(QFile::exists(trayRoot() + QStringLiteral("/not-an-id/c.txt")));
    EXPECT_EQ(asideCopies(trayRoot()).size(), 1);
}

TEST_F(TrayRecoveryTest, AMissingOrReadableIndexAdoptsAStrayFolder) {
    const QList<TrayItem> before = fill(1);
    const QString stray = trayRoot() + QLatin1Char('/') + json::uuidString(QUuid::createUuid());
    QDir().mkpath(stray);
    writeRaw(stray + QStringLiteral("/stray.txt"), "stray");
    {
        // Readable index: the stray folder is listed too, and left where it is.
        auto store = openManual();
        EXPECT_EQ(store->items().size(), 2);
        EXPECT_TRUE(QFile::exists(stray + QStringLiteral("/stray.txt")));
    }
    QFile::remove(trayRoot() + QStringLiteral("/index.json"));
    auto store = openManual();
    EXPECT_EQ(store->items().size(), 2);
    EXPECT_TRUE(asideCopies(trayRoot()).isEmpty());
    const auto index = tray_index::read(store->indexPath());
    EXPECT_EQ(index.items.size(), 2);
}

TEST_F(TrayRecoveryTest, AnInterruptedRemovalDoesNotComeBack) {
    const QList<TrayItem> before = fill(1);
    // A removal cut short leaves its folder under a name that is no item's.
    const QString aside = trayRoot() + QStringLiteral("/.removing-") + json::uuidString(QUuid::createUuid());
    QDir().mkpath(aside + QStringLiteral("/Folder"));
    writeRaw(aside + QStringLiteral("/Folder/part.txt"), "part");
    const QString incoming =
        trayRoot() + QStringLiteral("/.incoming-") + json::uuidString(QUuid::createUuid());
    QDir().mkpath(incoming);
    writeRaw(incoming + QStringLiteral("/half.bin"), "half");
    QFile::remove(trayRoot() + QStringLiteral("/index.json"));

    auto store = openManual();
    EXPECT_EQ(storedPaths(store->items()), storedPaths(before));
    EXPECT_FALSE(QFileInfo::exists(aside));
    EXPECT_FALSE(QFileInfo::exists(incoming));

    // A real removal renames the folder aside at once and deletes it on the queue.
    store->remove(store->items().first());
    EXPECT_FALSE(QFileInfo::exists(itemFolder(before.first())));
    EXPECT_EQ(trayEntries().size(), 2) << "the index, and the folder aside";
    run();
    EXPECT_EQ(trayEntries(), QStringList{"index.json"});
}

TEST_F(TrayRecoveryTest, EntriesPointingOutsideTheirItemFolderAreDroppedAndNothingThereIsDeleted) {
    const QList<TrayItem> before = fill(1);
    const QString victim = source("victim");
    makeFile("victim/precious.txt", "precious");
    const QString otherItem = itemFolder(before.first());

    TrayItem outside = before.first();
    outside.id = QUuid::createUuid();
    outside.storedPath = victim + QStringLiteral("/precious.txt");
    TrayItem sibling = before.first();
    sibling.id = QUuid::createUuid();
    sibling.storedPath = otherItem + QLatin1Char('/') + before.first().displayName;
    TrayItem dotted = before.first();
    dotted.id = QUuid::createUuid();
    dotted.storedPath = itemFolder(dotted) + QStringLiteral("/../../../sources/victim/precious.txt");
    writeRaw(trayRoot() + QStringLiteral("/index.json"),
             tray_index::encode({outside, sibling, dotted, before.first()}));

    auto store = openManual();
    EXPECT_EQ(store->items(), before);
    // The index is rewritten without them, and is readable, so nothing is adopted.
    EXPECT_EQ(tray_index::read(store->indexPath()).items, before);

    // Removing the forged items deletes only what their ids name (nothing exists there).
    store->remove(outside);
    store->remove(sibling);
    store->remove(dotted);
    run();
    EXPECT_EQ(contents(victim + QStringLiteral("/precious.txt")), "precious");
    EXPECT_TRUE(QFile::exists(before.first().storedPath));
    EXPECT_EQ(store->items(), before);
}

TEST_F(TrayRecoveryTest, AnItemFolderReplacedByALinkIsNotFollowed) {
    const QList<TrayItem> before = fill(1);
    const TrayItem item = before.first();
    const QString victim = source("elsewhere");
    makeFile("elsewhere/" + item.displayName, "keep");
    ASSERT_TRUE(QDir(itemFolder(item)).removeRecursively());
    ASSERT_TRUE(QFile::link(victim, itemFolder(item)));

    auto store = openManual();
    EXPECT_TRUE(store->items().isEmpty()) << "a stored file reached through a link is not the tray's";
    store->remove(item);
    run();
    EXPECT_EQ(contents(victim + QLatin1Char('/') + item.displayName), "keep");
    EXPECT_TRUE(QFileInfo(itemFolder(item)).isSymLink());
}

// The index could not be written (a full disk), or the program ended before its queue
// ran: what entered is listed at the next start, a copy and a move alike, and what was
// removed stays away.
TEST_F(TrayRecoveryTest, ItemsTheIndexMissedComeBackAndRemovedOnesDoNot) {
    const QList<TrayItem> before = fill(2);
    TrayItem gone;
    {
        auto store = openManual();
        const ScopedFileSizeLimit full(64);
        store->add({url(makeFile("copied.txt", "copy"))}, false);
        store->add({url(makeFile("moved.txt", "only"))}, true);
        store->add({url(makeFile("thumb.png", "mine"))}, true);
        store->add({url(makeFile("gone/thumb.png", "gone"))}, true);
        run();
        ASSERT_EQ(store->items().size(), 6);
        gone = store->items().first();
        EXPECT_TRUE(store->isIndexWaiting());
    }
    {
        ManualScheduler killedBeforeItRan;
        TrayStoreOptions options = manualOptions();
        options.queueScheduler = &killedBeforeItRan;
        TrayStore store(QStringLiteral("Vesk"), options);
        store.remove(before[0]);
        // Taken out of the tray, but not yet to the trash.
        store.remove(gone);
    }
    // A preview whose item went is deleted too.
    const QString stale = trayRoot() + "/.previews/" + json::uuidString(before[0].id) + ".png";
    QDir().mkpath(QFileInfo(stale).path());
    writeRaw(stale, "png");
    auto store = openManual();
    QMap<QString, TrayItem> listed;
    for (const TrayItem& item : store->items())
        listed.insert(item.displayName, item);
    EXPECT_EQ(listed.keys(), (QStringList{"copied.txt", "file0.txt", "moved.txt", "thumb.png"}));
    EXPECT_EQ(contents(listed.value("thumb.png").storedPath), "mine");
    EXPECT_EQ(contents(trashFiles() + QStringLiteral("/thumb.png")), "gone");
    EXPECT_FALSE(QFileInfo::exists(stale));
    EXPECT_EQ(contents(listed.value("moved.txt").storedPath), "only");
    EXPECT_FALSE(listed.value("moved.txt").originalPath);
    EXPECT_EQ(contents(listed.value("copied.txt").storedPath), "copy");
    EXPECT_FALSE(QFileInfo::exists(itemFolder(before[0])));
    EXPECT_EQ(tray_index::read(store->indexPath()).items.size(), 4);
}
