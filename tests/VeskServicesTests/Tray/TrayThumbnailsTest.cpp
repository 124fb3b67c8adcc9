#include "TrayTestSupport.h"

#include <QImage>

using namespace vesk;
using namespace vesk::test;

class TrayThumbnailsTest : public TrayTest {
protected:
    QImage request(TrayStore& store, const TrayItem& item, double size = 56) {
        std::optional<QImage> result;
        QObject context;
        store.thumbnail(item, size, &context, [&](const QImage& image) { result = image; });
        EXPECT_TRUE(processEventsUntil([&] { return result.has_value(); }));
        return result.value_or(QImage());
    }

    TrayItem addOne(TrayStore& store, const QString& name, const QByteArray& bytes = "data") {
        store.add({url(makeFile(name, bytes))}, false);
        run();
        return store.items().first();
    }

    QString cachePath(const TrayItem& item) const {
        return trayRoot() + QStringLiteral("/.previews/") + json::uuidString(item.id) +
               QStringLiteral(".png");
    }
};

TEST_F(TrayThumbnailsTest, APreviewIsMadeOnceThenReadBackEvenWhenTheFileChanged) {
    auto store = openManual();
    const TrayItem item = addOne(*store, "photo.jpg");

    const QImage first = request(*store, item);
    EXPECT_EQ(first.size(), QSize(112, 112));
    EXPECT_EQ(m_generator->calls(), 1);
    EXPECT_EQ(m_generator->lastPixels(), 112);
    EXPECT_EQ(m_generator->paths(), QStringList{item.storedPath});
    EXPECT_EQ(QImage(cachePath(item)).pixel(1, 1), first.pixel(1, 1));

    // Stale: the stored file and the generator change, the cached preview is served.
    QFile f(item.storedPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("changed");
    f.close();
    m_generator->color = qRgb(0, 200, 0);
    const QImage second = request(*store, item);
    EXPECT_EQ(m_generator->calls(), 1);
    EXPECT_EQ(second.pixel(1, 1), first.pixel(1, 1));
    // Nothing is left over from the atomic write; the item's folder holds only its file.
    EXPECT_EQ(QDir(QFileInfo(cachePath(item)).path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    EXPECT_EQ(QDir(itemFolder(item)).entryList(QDir::Files | QDir::Hidden), QStringList{"photo.jpg"});
    // The preview leaves with its item.
    store->remove(item);
    run();
    EXPECT_FALSE(QFileInfo::exists(cachePath(item)));
}

TEST_F(TrayThumbnailsTest, AFailedPreviewGivesTheTypeIconAndIsTriedAgainNextTime) {
    auto store = openManual();
    const TrayItem item = addOne(*store, "notes.txt");
    m_generator->fail = true;

    const QImage icon = request(*store, item);
    EXPECT_FALSE(icon.isNull()) << "the icon theme offers a text icon";
    EXPECT_FALSE(QFileInfo::exists(cachePath(item)));
    EXPECT_EQ(m_generator->calls(), 1);

    request(*store, item);
    EXPECT_EQ(m_generator->calls(), 2);

    // An unknown type gets the generic icon.
    TrayItem unknown = item;
    unknown.utTypeIdentifier = QStringLiteral("com.example.nothing-known");
    TrayItem generic = item;
    generic.utTypeIdentifier = QStringLiteral("public.data");
    ASSERT_FALSE(request(*store, generic).isNull());
    EXPECT_EQ(request(*store, unknown), request(*store, generic));

    m_generator->fail = false;
    request(*store, item);
    EXPECT_EQ(m_generator->calls(), 6);
    EXPECT_TRUE(QFileInfo::exists(cachePath(item)));
}

TEST_F(TrayThumbnailsTest, TheCacheIsNeverWrittenThroughALinkNorOverAFileNamedLikeIt) {
    auto store = openManual();
    const TrayItem item = addOne(*store, "photo.png");
    const QString victim = makeFile("victim.txt", "keep me");
    QDir().mkpath(QFileInfo(cachePath(item)).path());
    ASSERT_TRUE(QFile::link(victim, cachePath(item)));
    const QImage image = request(*store, item);
    EXPECT_FALSE(image.isNull());
    EXPECT_EQ(contents(victim), "keep me");
    EXPECT_TRUE(QFileInfo(cachePath(item)).isSymLink());

    // A user's own file called thumb.png is the item, and is previewed like any other.
    const TrayItem own = addOne(*store, "thumb.png", "not a png");
    request(*store, own);
    request(*store, own);
    EXPECT_EQ(contents(own.storedPath), "not a png");
    EXPECT_EQ(m_generator->calls(), 2);
}

// Pictures are rendered apart from the program and cached; what that cannot render goes
// to the thumbnailer programs.
TEST_F(TrayThumbnailsTest, PicturesComeFromTheWorkerFirstAndAreCached) {
    auto store = openManual();
    const TrayItem photo = addOne(*store, "photo.jpg");
    m_pictureColor = qRgb(10, 20, 30);
    const QImage first = request(*store, photo);
    EXPECT_EQ(first.size(), QSize(112, 112));
    EXPECT_EQ(first.pixel(1, 1), qRgb(10, 20, 30));
    EXPECT_EQ(m_picturePaths, QStringList{photo.storedPath});
    EXPECT_EQ(m_generator->calls(), 0);
    EXPECT_EQ(QImage(cachePath(photo)).pixel(1, 1), qRgb(10, 20, 30));
    request(*store, photo);
    EXPECT_EQ(m_picturePaths.size(), 1) << "read back from the cache";

    // A PDF is asked for; a picture that does not render, and any other file, go on to
    // the thumbnailers.
    m_pictureColor.reset();
    const TrayItem paper = addOne(*store, "paper.pdf");
    const TrayItem notes = addOne(*store, "notes.odt");
    EXPECT_EQ(request(*store, paper).pixel(1, 1), qRgb(200, 40, 40));
    EXPECT_EQ(request(*store, notes).pixel(1, 1), qRgb(200, 40, 40));
    EXPECT_EQ(m_picturePaths, (QStringList{photo.storedPath, paper.storedPath}));
    EXPECT_EQ(m_generator->paths(), (QStringList{paper.storedPath, notes.storedPath}));
}
