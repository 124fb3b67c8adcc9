#include "TrayTestSupport.h"

#include "VeskPlatform/Pasteboard/SystemPasteboard.h"

#include <QImage>
#include <QMimeData>

using namespace vesk;
using namespace vesk::test;

namespace {

QImage sampleImage() {
    QImage image(40, 30, QImage::Format_ARGB32);
    image.fill(qRgb(10, 120, 200));
    return image;
}

} // namespace

class TrayPasteTest : public TrayTest {
protected:
    // The clock stands at 1700000000.75 seconds since 1970.
    const QString stamp = QStringLiteral("1700000000");
    SystemPasteboard m_pasteboard;

    void put(QMimeData* data) { m_pasteboard.setContents(data); }
};

TEST_F(TrayPasteTest, FileUrlsAreCopiedAndWinOverText) {
    auto store = openManual();
    auto* data = new QMimeData;
    data->setUrls(urls({makeFile("one.txt"), makeFile("two.txt")}));
    data->setText(QStringLiteral("ignored"));
    put(data);

    const auto added = store->addFromPasteboard(m_pasteboard);
    ASSERT_EQ(added.size(), 2);
    run();
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items()[0].displayName, "one.txt");
    EXPECT_EQ(store->items()[0].originalPath, source("one.txt"));
    EXPECT_FALSE(store->items()[0].fromOtherDevice);
    EXPECT_TRUE(QFile::exists(source("one.txt")));
}

TEST_F(TrayPasteTest, AnImageIsStoredAsAPngAndWinsOverText) {
    auto store = openManual();
    auto* data = new QMimeData;
    data->setImageData(sampleImage());
    data->setText(QStringLiteral("ignored"));
    put(data);

    QList<TrayItem> entered;
    const auto added =
        store->addFromPasteboard(m_pasteboard, [&](const QList<TrayItem>& i) { entered += i; });
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added.first().displayName, "Pasted " + stamp + ".png");
    run();
    ASSERT_EQ(store->items().size(), 1);
    const TrayItem& item = store->items().first();
    EXPECT_EQ(entered, store->items());
    EXPECT_EQ(item.id, added.first().id);
    EXPECT_FALSE(item.originalPath) << "the tray holds the only copy";
    EXPECT_EQ(item.utTypeIdentifier, "public.png");
    EXPECT_GT(item.byteSize, 0);
    const QImage stored(item.storedPath);
    EXPECT_EQ(stored.size(), QSize(40, 30));
    EXPECT_EQ(stored.pixel(5, 5), qRgb(10, 120, 200));
}

TEST_F(TrayPasteTest, TextIsStoredAsUtf8AndNothingIsTakenFromTheSharedTemporaryFolder) {
    // A file planted under the name the text will get must not be moved in.
    const QString planted = QDir::tempPath() + "/Pasted " + stamp + ".txt";
    {
        QFile f(planted);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("planted");
    }
    auto store = openManual();
    m_pasteboard.setString(QStringLiteral("Grüße"));
    const auto added = store->addFromPasteboard(m_pasteboard);
    run();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().displayName, "Pasted " + stamp + ".txt");
    EXPECT_EQ(contents(store->items().first().storedPath), QStringLiteral("Grüße").toUtf8());
    EXPECT_EQ(store->items().first().utTypeIdentifier, "public.plain-text");
    EXPECT_EQ(contents(planted), "planted");
    QFile::remove(planted);
}

TEST_F(TrayPasteTest, AFailedWriteAddsNothing) {
    auto store = openManual();
    m_pasteboard.setString(QStringLiteral("text"));
    // The tray folder has turned into a plain file: nothing can be written under it.
    ASSERT_TRUE(QDir(trayRoot()).removeRecursively());
    {
        QFile blocker(trayRoot());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    store->addFromPasteboard(m_pasteboard);
    run();
    EXPECT_TRUE(store->items().isEmpty());
    EXPECT_EQ(store->pendingCount(), 0);
    EXPECT_TRUE(trace().join('\n').contains("writing pasted")) << trace().join('\n').toStdString();
}

TEST_F(TrayPasteTest, EmptyTextAndWebLinksAddNothing) {
    auto store = openManual();
    m_pasteboard.setString(QString());
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());

    // A copied web link: the URL list is taken, refused, and text is not tried.
    auto* data = new QMimeData;
    data->setUrls({QUrl(QStringLiteral("https://example.org/page"))});
    data->setText(QStringLiteral("https://example.org/page"));
    put(data);
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());
    run();
    EXPECT_TRUE(store->items().isEmpty());

    m_pasteboard.clearContents();
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());
}

TEST_F(TrayPasteTest, ContentsFromAnotherDeviceAreMarked) {
    auto store = openManual();
    auto* data = new QMimeData;
    data->setText(QStringLiteral("from my phone"));
    data->setData(TrayStore::remoteClipboardType(), QByteArray());
    put(data);
    store->addFromPasteboard(m_pasteboard);
    run();
    ASSERT_EQ(store->items().size(), 1);
    EXPECT_EQ(store->items().first().fromOtherDevice, true);
    EXPECT_TRUE(contents(store->indexPath()).contains("\"fromOtherDevice\":true"));

    auto* files = new QMimeData;
    files->setUrls(urls({makeFile("remote.txt")}));
    files->setData(TrayStore::remoteClipboardType(), QByteArray());
    put(files);
    store->addFromPasteboard(m_pasteboard);
    run();
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items().first().fromOtherDevice, true);
}
