#include "TrayTestSupport.h"

#include "VeskPlatform/Pasteboard/SystemPasteboard.h"
#include "support/Files.h"

#include <QImage>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

class TrayPasteTest : public TrayTest {
protected:
    // The clock stands at 1700000000.75 seconds since 1970.
    const QString stamp = QStringLiteral("1700000000");
    SystemPasteboard m_pasteboard;

    void put(QMimeData* data) { m_pasteboard.setContents(data); }
};

// File URLs win over text and are copied; an image wins over text and is stored as a
// PNG, text as UTF-8; the tray holds the only copy of either. Empty text, web links
// and an empty pasteboard add nothing.
TEST_F(TrayPasteTest, FilesThenAnImageThenTextAreStored) {
    // A file planted under the name the text will get must not be moved in.
    const QString planted = QDir::tempPath() + "/Pasted " + stamp + ".txt";
    {
        QFile f(planted);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("planted");
    }
    auto store = openManual();
    auto* files = new QMimeData;
    files->setUrls(urls({makeFile("one.txt"), makeFile("two.txt")}));
    files->setText(QStringLiteral("ignored"));
    put(files);
    ASSERT_EQ(store->addFromPasteboard(m_pasteboard).size(), 2);
    run();
    ASSERT_EQ(store->items().size(), 2);
    EXPECT_EQ(store->items()[0].displayName, "one.txt");
    EXPECT_EQ(store->items()[0].originalPath, source("one.txt"));
    EXPECT_FALSE(store->items()[0].fromOtherDevice);
    EXPECT_TRUE(QFile::exists(source("one.txt")));

    auto* image = new QMimeData;
    QImage picture(40, 30, QImage::Format_ARGB32);
    picture.fill(qRgb(10, 120, 200));
    image->setImageData(picture);
    image->setText(QStringLiteral("ignored"));
    put(image);
    QList<TrayItem> entered;
    const auto added =
        store->addFromPasteboard(m_pasteboard, [&](const QList<TrayItem>& i) { entered += i; });
    ASSERT_EQ(added.size(), 1);
    EXPECT_EQ(added.first().displayName, "Pasted " + stamp + ".png");
    run();
    ASSERT_EQ(store->items().size(), 3);
    const TrayItem& png = store->items().first();
    EXPECT_EQ(entered, QList{png});
    EXPECT_EQ(png.id, added.first().id);
    EXPECT_FALSE(png.originalPath) << "the tray holds the only copy";
    EXPECT_EQ(png.utTypeIdentifier, "public.png");
    const QImage stored(png.storedPath);
    EXPECT_EQ(stored.size(), QSize(40, 30));
    EXPECT_EQ(stored.pixel(5, 5), qRgb(10, 120, 200));

    m_pasteboard.setString(QStringLiteral("Grüße"));
    store->addFromPasteboard(m_pasteboard);
    run();
    ASSERT_EQ(store->items().size(), 4);
    const TrayItem& text = store->items().first();
    EXPECT_EQ(text.displayName, "Pasted " + stamp + ".txt");
    EXPECT_EQ(contents(text.storedPath), QStringLiteral("Grüße").toUtf8());
    EXPECT_EQ(text.utTypeIdentifier, "public.plain-text");
    EXPECT_FALSE(text.originalPath);
    EXPECT_EQ(contents(planted), "planted");
    QFile::remove(planted);

    m_pasteboard.setString(QString());
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());
    // A copied web link: the URL list is taken, refused, and text is not tried.
    auto* link = new QMimeData;
    link->setUrls({QUrl(QStringLiteral("https://example.org/page"))});
    link->setText(QStringLiteral("https://example.org/page"));
    put(link);
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());
    m_pasteboard.clearContents();
    EXPECT_TRUE(store->addFromPasteboard(m_pasteboard).isEmpty());
    run();
    EXPECT_EQ(store->items().size(), 4);
}

// A failure is said with the system's reason, for a picture as for text.
TEST_F(TrayPasteTest, AFailedWriteAddsNothing) {
    auto store = openManual();
    QSignalSpy notAdded(store.get(), &TrayStore::itemNotAdded);
    for (const bool picture : {true, false}) {
        // Noise, so that its PNG is too big for the file's buffer.
        QImage image(256, 256, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, QRandomGenerator::global()->generate());
        picture ? m_pasteboard.setImage(image) : m_pasteboard.setString(QStringLiteral("a full disk"));
        const ScopedFileSizeLimit full(8);
        store->addFromPasteboard(m_pasteboard);
        run();
    }
    ASSERT_EQ(notAdded.size(), 2);
    EXPECT_EQ(notAdded[0], (QVariantList{QString("Pasted " + stamp + ".png"), "File too large"}));
    EXPECT_EQ(notAdded[1], (QVariantList{QString("Pasted " + stamp + ".txt"), "File too large"}));
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
