// The clipboard history over the fake clipboard: recording, dedupe and eviction with the
// files they delete, restore, persistence, and damaged or edited stored histories.
#include "ClipboardTestSupport.h"

#include "VeskKit/Foundation/Json.h"
#include "VeskServices/Clipboard/ClipboardRead.h"

#include <QDirIterator>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>

using namespace vesk;
using namespace vesk::test;

namespace {

QByteArray png(QRgb colour) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(colour);
    return FakeClipboard::png(image);
}

FakeClipboard::Contents image(QRgb colour) {
    return {{QStringLiteral("image/png"), png(colour)}};
}

QStringList texts(const QList<Clip>& clips) {
    QStringList result;
    for (const Clip& clip : clips)
        result << clip.text;
    return result;
}

} // namespace

class ClipboardServiceTest : public ClipboardTest {
protected:
    // The user's own file, which nothing in the history may delete.
    QString userFile(const QString& name) {
        const QString path = qEnvironmentVariable("VESK_TEST_ROOT") + QLatin1Char('/') + name;
        write(path, "mine");
        return path;
    }

    static QJsonObject stored(const QString& kind, const QString& text,
                              const std::optional<QString>& path = {}) {
        QJsonObject o{
            {"id", json::fromUuid(QUuid::createUuid())}, {"kind", kind}, {"text", text}, {"copiedAt", 100.5}};
        if (path) o.insert("storedPath", *path);
        return o;
    }
    void writeStore(const QJsonArray& array) { write(store(), QJsonDocument(array).toJson()); }
    static QStringList keptAside() {
        return QDir(container()).entryList({QStringLiteral("clipboard.json.corrupt-*")}, QDir::Files);
    }
};

TEST_F(ClipboardServiceTest, RecordsNewestFirstWithoutDuplicatesAndDeletesOnlyItsImages) {
    auto service = open();
    int changes = 0;
    service->onChange = [&](const QList<Clip>&) { ++changes; };

    copy(*service, FakeClipboard::text("one"));
    copy(*service, image(qRgb(255, 0, 0)));
    ASSERT_EQ(images().size(), 1);
    const QString firstImage = *service->clips().first().storedPath;
    copy(*service, image(qRgb(0, 255, 0)));
    EXPECT_EQ(texts(service->clips()), (QStringList{"Image", "one"}))
        << "a new image replaces the previous one";
    EXPECT_FALSE(QFile::exists(firstImage));
    EXPECT_EQ(images().size(), 1);
    copy(*service, FakeClipboard::text("one"));
    EXPECT_EQ(texts(service->clips()), (QStringList{"one", "Image"}));
    EXPECT_EQ(service->clips().first().sourceApp, "org.example.Editor");
    EXPECT_EQ(service->clips().first().copiedAt, scheduler.now());
    EXPECT_EQ(changes, 4);

    // A file clip names the user's file, which stays when the clip goes.
    const QString mine = userFile("report.txt");
    copy(*service, {{"text/uri-list", QUrl::fromLocalFile(mine).toEncoded() + "\r\n"}});
    ASSERT_EQ(service->clips().first().kind, Clip::Kind::file);
    service->remove(service->clips().first());
    scheduler.runPending();
    EXPECT_TRUE(QFile::exists(mine));

    // Eviction deletes the oldest images.
    service->setMaxItems(1);
    copy(*service, FakeClipboard::text("two"));
    scheduler.runPending();
    EXPECT_EQ(texts(service->clips()), QStringList{"two"});
    EXPECT_TRUE(images().isEmpty());

    service->setMaxItems(0);
    copy(*service, image(qRgb(0, 0, 255)));
    scheduler.runPending();
    EXPECT_TRUE(service->clips().isEmpty()) << "with no room a clip is evicted at once";
    EXPECT_TRUE(images().isEmpty());

    service->setMaxItems(-3);
    EXPECT_EQ(service->maxItems(), 0);
}

TEST_F(ClipboardServiceTest, TakesEachChangeOnceAndRestoresWithoutRecordingAgain) {
    auto late = std::make_unique<ClipboardService>(clipboard, QStringLiteral("Vesk"),
                                                   ClipboardServiceOptions{.reader = &clipboard,
                                                                           .frontmostApplication = {},
                                                                           .clock = &scheduler.clock(),
                                                                           .queueScheduler = &scheduler});
    clipboard.copy(FakeClipboard::text("early"));
    late->poll();
    EXPECT_FALSE(late->isReading()) << "nothing is read before the stored history is in";
    scheduler.runPending();
    late->poll();
    scheduler.runPending();
    ASSERT_EQ(texts(late->clips()), QStringList{"early"})
        << "a change made while loading is read once loaded";
    late.reset();

    auto service = open();
    copy(*service, FakeClipboard::text(QByteArray(clipboard_read::maxTextLength + 1, 'x')));
    EXPECT_TRUE(service->clips().isEmpty());
    clipboard.asked.clear();
    service->poll();
    EXPECT_TRUE(clipboard.asked.isEmpty()) << "an unrecorded change is still taken";

    copy(*service, FakeClipboard::text("alpha"));
    copy(*service, image(qRgb(1, 2, 3)));
    const Clip alpha = service->clips().at(1);
    service->restore(alpha);
    EXPECT_EQ(clipboard.current().value("UTF8_STRING"), "alpha");
    service->poll();
    scheduler.runPending();
    EXPECT_EQ(texts(service->clips()), (QStringList{"Image", "alpha"})) << "the restored clip stays in place";

    service->restore(service->clips().first());
    scheduler.runPending();
    EXPECT_TRUE(clipboard.current().contains("image/png"));
    service->poll();
    scheduler.runPending();
    EXPECT_EQ(service->clips().size(), 2);

    copy(*service, FakeClipboard::text("next"));
    EXPECT_EQ(texts(service->clips()), (QStringList{"next", "Image", "alpha"}))
        << "the next copy is recorded";

    // An image whose file is gone restores nothing.
    Clip gone = service->clips().at(1);
    QFile::remove(*gone.storedPath);
    service->restore(gone);
    scheduler.runPending();
    EXPECT_TRUE(clipboard.current().isEmpty());

    // An owner that never answers gives nothing, and the next change is read again.
    clipboard.silent = true;
    copy(*service, FakeClipboard::text("unheard"));
    EXPECT_FALSE(service->isReading());
    clipboard.silent = false;
    copy(*service, FakeClipboard::text("heard"));
    EXPECT_EQ(service->clips().first().text, "heard");
}

TEST_F(ClipboardServiceTest, WritesTheHistoryOnlyWhenKept) {
    {
        auto service = open();
        copy(*service, FakeClipboard::text("not kept"));
        EXPECT_FALSE(QFile::exists(store()));
        service->setPersists(true);
        copy(*service, FakeClipboard::text("kept"));
        copy(*service, image(qRgb(4, 5, 6)));
        ASSERT_TRUE(QFile::exists(store()));
    }
    {
        auto service = open();
        EXPECT_EQ(texts(service->clips()), (QStringList{"Image", "kept", "not kept"}));
        EXPECT_EQ(images().size(), 1) << "the image of a kept history stays";
        const QByteArray before = [] {
            QFile f(store());
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        service->remove(service->clips().last());
        service->clear();
        scheduler.runPending();
        QFile f(store());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), before) << "remove and clear leave the file alone while not kept";
        EXPECT_TRUE(images().isEmpty());

        service->setPersists(true);
        service->clear();
        scheduler.runPending();
        EXPECT_EQ(QFile(store()).size(), 2) << "an empty array";
        service->forgetOnDisk();
        scheduler.runPending();
        EXPECT_FALSE(QFile::exists(store()));
    }
}

TEST_F(ClipboardServiceTest, AHistoryNotKeptLeavesNoImagesBehind) {
    {
        auto service = open();
        copy(*service, image(qRgb(7, 7, 7)));
        ASSERT_EQ(images().size(), 1);
    }
    const QString foreign = media() + QStringLiteral("/notes.png");
    write(foreign, "not ours");
    auto service = open();
    EXPECT_TRUE(service->clips().isEmpty());
    EXPECT_EQ(images(), QStringList{"notes.png"}) << "only files named like ours are cleaned up";
}

TEST_F(ClipboardServiceTest, ADamagedHistoryIsKeptAsideWithWhatDecodes) {
    QDir().mkpath(media());
    const QString picture = media() + QStringLiteral("/0F0E0D0C-0B0A-4908-8706-050403020100.png");
    const QString orphan = media() + QStringLiteral("/00000000-0000-4000-8000-000000000000.png");
    write(picture, png(qRgb(1, 1, 1)));
    write(orphan, png(qRgb(2, 2, 2)));
    writeStore({stored("text", "good"), stored("sticker", "unknown kind"), stored("image", "Image", picture),
                QJsonObject{{"kind", "text"}}});
    {
        auto service = open();
        EXPECT_EQ(texts(service->clips()), (QStringList{"good", "Image"}));
        EXPECT_EQ(keptAside().size(), 1);
        EXPECT_TRUE(QFile::exists(orphan)) << "the damaged file may have named it";
        service->setPersists(true);
        copy(*service, FakeClipboard::text("new"));
    }
    auto service = open();
    EXPECT_EQ(texts(service->clips()), (QStringList{"new", "good", "Image"}));

    write(store(), "{ not json");
    auto again = open();
    EXPECT_TRUE(again->clips().isEmpty());
    EXPECT_EQ(keptAside().size(), 2);
}

TEST_F(ClipboardServiceTest, StoredPathsNeverLeadToTheUsersFiles) {
    const QString mine = userFile("holiday.png");
    QDir().mkpath(media());
    const QString link = media() + QStringLiteral("/11111111-2222-4333-8444-555555555555.png");
    ASSERT_TRUE(QFile::link(mine, link));
    writeStore({stored("image", "Image", mine), stored("image", "Image", link),
                stored("image", "Image", media() + QStringLiteral("/../../holiday.png")),
                stored("file", "holiday.png", mine)});
    auto service = open();
    ASSERT_EQ(service->clips().size(), 1) << "image clips must name a file of the history";
    EXPECT_EQ(service->clips().first().kind, Clip::Kind::file);
    service->clear();
    service->remove(Clip{.id = QUuid::createUuid(),
                         .kind = Clip::Kind::image,
                         .text = "Image",
                         .storedPath = mine,
                         .copiedAt = Date{0},
                         .sourceApp = std::nullopt});
    scheduler.runPending();
    EXPECT_TRUE(QFile::exists(mine));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}
