#include "TrayTestSupport.h"

#include "VeskServices/Tray/TrayIndex.h"
#include "support/Files.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>

#include <sys/stat.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QList<QUuid> ids(const QList<TrayItem>& items) {
    QList<QUuid> list;
    for (const TrayItem& item : items)
        list.append(item.id);
    return list;
}

QStringList names(const QList<TrayItem>& items) {
    QStringList list;
    for (const TrayItem& item : items)
        list.append(item.displayName);
    return list;
}

// Every entry below `root` by relative path: a link's target, "folder", or a file's
// size and bytes.
QMap<QString, QByteArray> tree(const QString& root) {
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        QByteArray what = info.isSymLink() ? "link to " + QFile::encodeName(info.symLinkTarget())
                          : info.isDir()
                              ? QByteArray("folder")
                              : QByteArray::number(info.size()) + ": " + vesk::test::readFile(path);
        entries.insert(QDir(root).relativeFilePath(path), what);
    }
    return entries;
}

} // namespace

using TrayStoreTest = TrayTest;

TEST_F(TrayStoreTest, CopiesEnterInCallOrderWithOneStackIdBeforeOlderItems) {
    auto store = openManual();
    // The same file added twice is two items in two folders.
    const QUrl old = url(makeFile("old.txt"));
    const auto older = store->add({old}, false) + store->add({old}, false);
    run();
    ASSERT_EQ(older.size(), 2);
    EXPECT_FALSE(older.first().stackID);
    EXPECT_NE(older[0].id, older[1].id);
    EXPECT_TRUE(QFile::exists(older[0].storedPath) && QFile::exists(older[1].storedPath));

    QList<QList<TrayItem>> entered;
    const auto added =
        store->add(urls({makeFile("a.txt", "aa"), makeFile("b.png"), makeFile("c.pdf", "%PDF-1.4\n")}), false,
                   [&](const QList<TrayItem>& items) { entered.append(items); });
    // Accepted at once with final ids, names and paths; nothing has entered yet.
    ASSERT_EQ(added.size(), 3);
    EXPECT_EQ(names(store->items()), (QStringList{"old.txt", "old.txt"}));
    EXPECT_EQ(store->pendingCount(), 3);
    for (const TrayItem& item : added) {
        EXPECT_EQ(item.storedPath, itemFolder(item) + QLatin1Char('/') + item.displayName);
        EXPECT_EQ(item.originalPath, source(item.displayName));
        EXPECT_FALSE(QFileInfo::exists(item.storedPath));
    }
    ASSERT_TRUE(added[0].stackID);
    EXPECT_EQ(added[1].stackID, added[0].stackID);
    EXPECT_EQ(added[2].stackID, added[0].stackID);

    run();
    EXPECT_EQ(store->pendingCount(), 0);
    EXPECT_EQ(names(store->items()), (QStringList{"a.txt", "b.png", "c.pdf", "old.txt", "old.txt"}));
    EXPECT_EQ(ids(store->items().mid(0, 3)), ids(added));
    ASSERT_EQ(entered.size(), 3);
    EXPECT_EQ(entered[0].first().displayName, "a.txt");
    EXPECT_EQ(store->items()[0].byteSize, 2);
    EXPECT_EQ(store->items()[0].utTypeIdentifier, "public.plain-text");
    EXPECT_EQ(store->items()[2].utTypeIdentifier, "com.adobe.pdf");
    EXPECT_EQ(contents(store->items()[0].storedPath), "aa");
    // The sources stay where they were.
    EXPECT_TRUE(QFile::exists(source("a.txt")));

    // The index lists the same items, in the same order.
    const auto index = tray_index::read(store->indexPath());
    EXPECT_EQ(index.condition, tray_index::Condition::intact);
    EXPECT_EQ(index.items, store->items());
}

// A move within one filesystem is a rename that enters at once, in front of copies of
// earlier calls still under way, which stay behind it.
TEST_F(TrayStoreTest, AMoveWithinOneFilesystemIsARenameThatEntersAtOnce) {
    auto store = openManual();
    store->add(urls({makeFile("copy1.txt"), makeFile("copy2.txt")}), false);
    const QString file = makeFile("moved.txt", "payload");
    QList<TrayItem> entered;
    const auto added = store->add({url(file)}, true, [&](const QList<TrayItem>& items) { entered += items; });
    ASSERT_EQ(added.size(), 1);
    // No queue work was needed: the item is listed, stored and announced already.
    EXPECT_EQ(store->pendingCount(), 2) << "the copies only";
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(entered, store->items());
    const TrayItem& item = store->items().first();
    EXPECT_FALSE(item.originalPath);
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_EQ(contents(item.storedPath), "payload");
    EXPECT_EQ(item.byteSize, 7);
    EXPECT_EQ(tray_index::read(store->indexPath()).items, store->items());
    run();
    EXPECT_EQ(names(store->items()), (QStringList{"moved.txt", "copy1.txt", "copy2.txt"}));
}

TEST_F(TrayStoreTest, AMovedFolderIsMeasuredOnTheQueueBeforeItEnters) {
    auto store = openManual();
    makeFile("Project/one.txt", "123");
    makeFile("Project/.hidden", "12345");
    const auto added = store->add({url(source("Project"))}, true);
    ASSERT_EQ(added.size(), 1);
    EXPECT_FALSE(QFileInfo::exists(source("Project")));
    EXPECT_TRUE(QFileInfo(added.first().storedPath).isDir());
    EXPECT_TRUE(store->items().isEmpty());
    run();
    ASSERT_EQ(store->items().size(), 1);
    const TrayItem& item = store->items().first();
    EXPECT_TRUE(item.isDirectory);
    EXPECT_EQ(item.childCount, 2);
    EXPECT_EQ(item.byteSize, 3);
    EXPECT_EQ(item.utTypeIdentifier, "public.folder");
    EXPECT_EQ(item.subtitle(), QStringLiteral("2 items \u00B7 3 bytes"));
}

TEST_F(TrayStoreTest, ACopiedTreeArrivesWholeWithItsSizesAsOneIndexEntry) {
    auto store = openManual();
    QByteArray big(3 << 20, Qt::Uninitialized);
    for (qsizetype i = 0; i < big.size(); ++i)
        big[i] = char((i * 7919) >> 3);
    makeFile("Tree/a.txt", "abc");
    makeFile("Tree/Sub/Deep/big.bin", big);
    makeFile("Tree/Sub/empty.txt", "");
    makeFile("Tree/Sub/.hidden", "1234");
    ASSERT_TRUE(QFile::link("Deep/big.bin", source("Tree/Sub/link")));
    ASSERT_TRUE(QFile::setPermissions(source("Tree/a.txt"), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    ASSERT_EQ(store->add({url(source("Tree"))}, false).size(), 1);
    run();
    ASSERT_EQ(store->items().size(), 1);
    const TrayItem& item = store->items().first();
    const auto stored = tree(item.storedPath);
    EXPECT_EQ(stored.size(), 7);
    const auto original = tree(source("Tree"));
    for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
        if (!it.value().startsWith("link")) {
            EXPECT_EQ(it.value(), original.value(it.key())) << it.key().toStdString();
        }
    }
    EXPECT_EQ(stored.value("Sub/link"),
              "link to " + QFile::encodeName(item.storedPath + "/Sub/Deep/big.bin"));
    const QFileDevice::Permissions owner =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    EXPECT_EQ(QFileInfo(item.storedPath + "/a.txt").permissions() & owner,
              QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(QFileInfo(item.storedPath + "/Sub/Deep/big.bin").lastModified(),
              QFileInfo(source("Tree/Sub/Deep/big.bin")).lastModified());
    EXPECT_EQ(item.byteSize, 3 + big.size()) << "what the measure counts: visible files, links not followed";
    EXPECT_EQ(item.childCount, 2);
    const auto index = tray_index::read(store->indexPath());
    ASSERT_EQ(index.items.size(), 1);
    EXPECT_EQ(index.items.first(), item);
}

TEST_F(TrayStoreTest, AMoveAcrossFilesystemsCopiesFirstAndDeletesTheSourceOnceIndexed) {
    // /dev/shm is a separate filesystem on ordinary Linux machines.
    QTemporaryDir other(QStringLiteral("/dev/shm/vesk-tray-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    const QString file = other.filePath(QStringLiteral("far.txt"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("far away");
    }
    struct stat a {
    }, b{};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &a), 0);
    auto store = openManual();
    ASSERT_EQ(::stat(QFile::encodeName(trayRoot()).constData(), &b), 0);
    const bool crossing = a.st_dev != b.st_dev;

    const auto added = store->add({url(file)}, true);
    ASSERT_EQ(added.size(), 1);
    if (crossing) {
        EXPECT_TRUE(store->items().isEmpty());
        EXPECT_TRUE(QFile::exists(file)) << "the source stays until the copy is complete";
    }
    run();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_FALSE(store->items().first().originalPath);
    EXPECT_EQ(contents(store->items().first().storedPath), "far away");
    EXPECT_FALSE(QFile::exists(file));
}

TEST_F(TrayStoreTest, TheOldestItemsAreEvictedByTheMaximumReadAtEachAdd) {
    m_maxItems = 3;
    auto store = openManual();
    QList<TrayItem> firsts;
    for (int i = 0; i < 3; ++i)
        firsts += store->add({url(makeFile(QStringLiteral("f%1.txt").arg(i)))}, false);
    run();
    EXPECT_EQ(names(store->items()), (QStringList{"f2.txt", "f1.txt", "f0.txt"}));

    store->add({url(makeFile("f3.txt"))}, false);
    run();
    EXPECT_EQ(names(store->items()), (QStringList{"f3.txt", "f2.txt", "f1.txt"}));
    // A copy leaves its folder with the item, and nothing goes to the trash.
    EXPECT_FALSE(QFileInfo::exists(itemFolder(firsts[0])));
    EXPECT_TRUE(QFile::exists(source("f0.txt")));
    EXPECT_FALSE(QFileInfo::exists(trashFiles() + QStringLiteral("/f0.txt")));

    m_maxItems = 2;
    store->add({url(makeFile("f4.txt"))}, false);
    run();
    EXPECT_EQ(names(store->items()), (QStringList{"f4.txt", "f3.txt"}));
    EXPECT_FALSE(QFileInfo::exists(itemFolder(firsts[1])));
    EXPECT_FALSE(QFileInfo::exists(itemFolder(firsts[2])));
    EXPECT_EQ(tray_index::read(store->indexPath()).items, store->items());
}

TEST_F(TrayStoreTest, EvictingOrRemovingTheOnlyCopyMovesItToTheTrash) {
    m_maxItems = 1;
    auto store = openManual();
    // Too long a name for the trash's record as it is.
    store->add({url(makeFile(QString(246, QLatin1Char('o')) + ".txt", "precious"))}, true);
    const TrayItem moved = store->items().first();
    const QString thumb = itemFolder(moved) + QStringLiteral("/thumb.png");
    QFile(thumb).open(QIODevice::WriteOnly);

    store->add({url(makeFile("next.txt", "next"))}, true);
    run();
    EXPECT_EQ(names(store->items()), QStringList{"next.txt"});
    const QString kept = QString(241, QLatin1Char('o')) + ".txt";
    EXPECT_EQ(contents(trashFiles() + '/' + kept), "precious");
    // Restored, it is back in its item folder, not the one it left the tray from.
    EXPECT_TRUE(contents(dataHome() + "/Trash/info/" + kept + ".trashinfo")
                    .contains(QByteArray("Path=").append(QUrl::toPercentEncoding(moved.storedPath, "/"))));
    EXPECT_FALSE(QFileInfo::exists(itemFolder(moved))) << "the emptied folder (with its preview) is deleted";

    store->remove(store->items().first());
    run();
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(contents(trashFiles() + QStringLiteral("/next.txt")), "next");
    EXPECT_TRUE(trayEntries() == QStringList{"index.json"}) << trayEntries().join(", ").toStdString();
}

// The item stays listed, in its place, and the store says why.
TEST_F(TrayStoreTest, WhenTrashingFailsTheItemFolderIsKept) {
    auto store = openManual();
    QSignalSpy notRemoved(store.get(), SIGNAL(itemNotRemoved(QString, QString)));
    store->add({url(makeFile("older.txt"))}, false);
    store->add({url(makeFile("keep.txt", "mine"))}, true);
    run();
    const QList<TrayItem> listed = store->items();
    const TrayItem item = listed.first();
    // A plain file where the trash folder belongs: the desktop trash cannot be made.
    QDir().mkpath(dataHome());
    QFile blocker(dataHome() + QStringLiteral("/Trash"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    store->remove(item);
    run();
    EXPECT_EQ(store->items(), listed);
    EXPECT_EQ(tray_index::read(store->indexPath()).items, listed);
    EXPECT_EQ(contents(item.storedPath), "mine");
    EXPECT_TRUE(trace().join('\n').contains("could not move")) << trace().join('\n').toStdString();
    ASSERT_EQ(notRemoved.size(), 1);
    EXPECT_EQ(notRemoved[0], (QVariantList{"keep.txt", "not a folder"}));
}

TEST_F(TrayStoreTest, RemoveAndClearDeleteCopiesAndRewriteTheIndex) {
    auto store = openManual();
    store->add(urls({makeFile("a.txt"), makeFile("b.txt")}), false);
    store->add({url(makeFile("c.txt"))}, false);
    run();
    ASSERT_EQ(store->items().size(), 3);
    const TrayItem b = store->items()[2];
    int changes = 0;
    QObject::connect(store.get(), &TrayStore::itemsChanged, [&] { ++changes; });

    store->remove(b);
    run();
    EXPECT_EQ(names(store->items()), (QStringList{"c.txt", "a.txt"}));
    EXPECT_FALSE(QFileInfo::exists(itemFolder(b)));
    EXPECT_EQ(changes, 1);

    // An item no longer listed still has its folder deleted, and the index is rewritten.
    ASSERT_TRUE(QDir().mkpath(itemFolder(b)));
    store->remove(b);
    run();
    EXPECT_FALSE(QFileInfo::exists(itemFolder(b)));
    EXPECT_EQ(changes, 2);

    const auto kept = store->items();
    store->removeAll();
    run();
    EXPECT_TRUE(store->items().isEmpty());
    for (const TrayItem& item : kept)
        EXPECT_FALSE(QFileInfo::exists(itemFolder(item)));
    EXPECT_EQ(contents(store->indexPath()), "[]");
    EXPECT_TRUE(QFile::exists(source("a.txt")));
}

TEST_F(TrayStoreTest, AnItemRemovedBeforeItsCopyEndsNeverEnters) {
    auto store = openManual();
    const auto added = store->add(urls({makeFile("x.txt"), makeFile("y.txt")}), false);
    store->remove(added[0]);
    store->removeAll();
    run();
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(store->pendingCount(), 0);
    EXPECT_EQ(trayEntries(), QStringList{"index.json"});
}

TEST_F(TrayStoreTest, AFailedCopyRemovesItsHalfMadeFolderAndSaysSo) {
    auto store = openManual();
    QSignalSpy notAdded(store.get(), &TrayStore::itemNotAdded);
    const QString file = makeFile("vanishing.txt");
    const QString kept = makeFile("kept.txt");
    const auto added = store->add(urls({file, kept}), false);
    ASSERT_EQ(added.size(), 2);
    QFile::remove(file);
    // Stopped by its removal: no failure.
    store->remove(store->add({url(makeFile("withdrawn.txt"))}, false));
    run();
    EXPECT_EQ(names(store->items()), QStringList{"kept.txt"});
    EXPECT_EQ(store->items().first().stackID, added[1].stackID);
    EXPECT_FALSE(QFileInfo::exists(itemFolder(added[0])));
    EXPECT_EQ(trayEntries().size(), 2) << trayEntries().join(", ").toStdString();
    EXPECT_TRUE(trace().join('\n').contains("copying " + file + " failed"))
        << trace().join('\n').toStdString();
    ASSERT_EQ(notAdded.size(), 1);
    EXPECT_EQ(notAdded[0], (QVariantList{"vanishing.txt", "No such file or directory"}));

    // Refused at once, said at once; an item dragged back in from the tray is no failure.
    store->add({url(source("missing.txt")), url(store->items().first().storedPath)}, false);
    ASSERT_EQ(notAdded.size(), 2);
    EXPECT_EQ(notAdded[1], (QVariantList{"missing.txt", "does not exist"}));
}

TEST_F(TrayStoreTest, SourcesThatHoldTheTrayOrLieInsideItAreRefused) {
    auto store = openManual();
    const auto inside = store->add({url(makeFile("in.txt"))}, false);
    run();
    const QString link = source("link-to-data");
    ASSERT_TRUE(QFile::link(dataHome(), link));

    const QStringList refused{
        QStringLiteral("/"),
        dataHome(),
        dataHome() + QStringLiteral("/Vesk"),
        trayRoot(),
        trayRoot() + QStringLiteral("/"),
        store->items().first().storedPath,
        itemFolder(store->items().first()),
        link,
        source("missing.txt"),
        QStringLiteral("/dev/null"),
    };
    for (const QString& path : refused) {
        EXPECT_TRUE(store->add({url(path)}, false).isEmpty()) << path.toStdString();
        EXPECT_TRUE(store->add({url(path)}, true).isEmpty()) << path.toStdString();
    }
    EXPECT_TRUE(store->add({QUrl(QStringLiteral("https://example.org/a.txt"))}, false).isEmpty());
    EXPECT_EQ(store->pendingCount(), 0);
    run();
    EXPECT_EQ(store->items().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(dataHome() + QStringLiteral("/Vesk/Tray/index.json")));

    // Refused sources do not stop the others of the same call.
    const auto mixed = store->add(urls({dataHome(), makeFile("fine.txt")}), false);
    ASSERT_EQ(mixed.size(), 1);
    EXPECT_TRUE(mixed.first().stackID) << "the call had two URLs";
}

TEST_F(TrayStoreTest, ALargeCopyLeavesTheMainThreadFreeAndTheItemAppearsAfterwards) {
    auto store = openThreaded();
    QByteArray big(64 << 20, 'x');
    const QString file = makeFile("big.bin", big);
    big.clear();

    QList<TrayItem> entered;
    const auto added =
        store->add({url(file)}, false, [&](const QList<TrayItem>& items) { entered += items; });
    ASSERT_EQ(added.size(), 1);
    // The call returned before the copy: the item can only enter through the main loop.
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(store->pendingCount(), 1);

    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(1);
    ASSERT_TRUE(processEventsUntil([&] { return !store->items().isEmpty(); }));
    EXPECT_GT(ticks, 0) << "the main loop ran while the file was copied";
    EXPECT_EQ(entered, store->items());
    EXPECT_EQ(store->items().first().byteSize, 64 << 20);
    EXPECT_EQ(QFileInfo(store->items().first().storedPath).size(), 64 << 20);
}

TEST_F(TrayStoreTest, LoadingDropsItemsWhoseStoredFileIsGoneAndRewritesTheIndex) {
    {
        auto store = openManual();
        store->add(urls({makeFile("stays.txt"), makeFile("goes.txt")}), false);
        run();
        QFile::remove(store->items()[1].storedPath);
    }
    auto store = openManual();
    EXPECT_EQ(names(store->items()), QStringList{"stays.txt"});
    const auto index = tray_index::read(store->indexPath());
    EXPECT_EQ(index.condition, tray_index::Condition::intact);
    EXPECT_EQ(names(index.items), QStringList{"stays.txt"});
}

TEST_F(TrayStoreTest, ClosingTheTrayDuringACopyLeavesNoHalfMadeFolder) {
    QByteArray big(64 << 20, 'x');
    const QString file = makeFile("big.bin", big);
    big.clear();
    {
        auto store = openThreaded();
        ASSERT_EQ(store->add({url(file)}, false).size(), 1);
    }
    EXPECT_EQ(trayEntries(), QStringList{}) << trayEntries().join(", ").toStdString();
    EXPECT_EQ(QFileInfo(file).size(), 64 << 20);
    auto store = openThreaded();
    EXPECT_TRUE(store->items().isEmpty());
}

TEST_F(TrayStoreTest, ACopyWithReadOnlyFoldersCanStillBeDeleted) {
    auto store = openManual();
    makeFile("Locked/Inner/file.txt");
    QFile::setPermissions(source("Locked/Inner"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    store->add({url(source("Locked"))}, false);
    run();
    ASSERT_EQ(store->items().size(), 1);
    const TrayItem item = store->items().first();
    store->remove(item);
    run();
    EXPECT_FALSE(QFileInfo::exists(itemFolder(item)));
    QFile::setPermissions(source("Locked/Inner"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(TrayStoreTest, AMovedLinkIsCopiedFromItsTargetAndStays) {
    auto store = openManual();
    const QString target = makeFile("target.txt", "target");
    const QString link = source("link.txt");
    ASSERT_TRUE(QFile::link(target, link));
    const auto added = store->add({url(link)}, true);
    run();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().originalPath, link);
    EXPECT_FALSE(QFileInfo(store->items().first().storedPath).isSymLink());
    EXPECT_EQ(contents(store->items().first().storedPath), "target");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}
