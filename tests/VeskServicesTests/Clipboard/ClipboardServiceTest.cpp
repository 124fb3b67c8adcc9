// The clipboard history over the fake clipboard: dedupe and eviction with the files they
// delete, restore, persistence, and damaged or edited stored histories.
#include "ClipboardTestSupport.h"

#include "VeskKit/Foundation/Json.h"
#include "VeskServices/Clipboard/ClipboardFiles.h"
#include "VeskServices/Clipboard/ClipboardRead.h"

#include <QJsonArray>
#include <QJsonDocument>

using namespace vesk;
using namespace vesk::test;

namespace {

FakeClipboard::Contents picture(QRgb colour) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(colour);
    return {{QStringLiteral("image/png"), FakeClipboard::encoded(image)}};
}

QStringList texts(const QList<Clip>& clips) {
    QStringList result;
    for (const Clip& clip : clips)
        result << clip.text;
    return result;
}

QJsonObject stored(const QString& kind, const QString& text, const QString& path = {}) {
    QJsonObject o{
        {"id", json::fromUuid(QUuid::createUuid())}, {"kind", kind}, {"text", text}, {"copiedAt", 1.5}};
    if (!path.isEmpty()) o.insert("storedPath", path);
    return o;
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
    static int keptAside() { return int(QDir(container()).entryList({"clipboard.json.corrupt-*"}).size()); }
};

TEST_F(ClipboardServiceTest, KeepsOneClipPerTextAndDeletesOnlyItsOwnImages) {
    auto service = open();
    int changes = 0;
    service->onChange = [&](const QList<Clip>&) { ++changes; };
    copy(*service, FakeClipboard::text("one"));
    copy(*service, picture(qRgb(255, 0, 0)));
    const QString first = *service->clips().first().storedPath;
    copy(*service, picture(qRgb(0, 255, 0)));
    const QString second = *service->clips().first().storedPath;
    copy(*service, picture(qRgb(255, 0, 0)));
    copy(*service, FakeClipboard::text("one"));
    EXPECT_EQ(texts(service->clips()), (QStringList{"one", "Image", "Image"}))
        << "another picture is kept beside the first; the same one again replaces it";
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_TRUE(QFile::exists(second));
    EXPECT_EQ(images().size(), 2);
    EXPECT_EQ(service->clips().first().sourceApp, "editor");
    EXPECT_EQ(changes, 5);

    const QString mine = userFile("report.txt");
    copy(*service, {{"text/uri-list", QUrl::fromLocalFile(mine).toEncoded()}});
    service->remove(service->clips().first());
    service->setMaxItems(1);
    copy(*service, FakeClipboard::text("two"));
    EXPECT_EQ(texts(service->clips()), QStringList{"two"});
    EXPECT_TRUE(QFile::exists(mine)) << "a file clip names the user's own file";
    EXPECT_TRUE(images().isEmpty()) << "eviction deletes the image";
    service->setMaxItems(-3);
    copy(*service, picture(qRgb(0, 0, 255)));
    EXPECT_TRUE(service->clips().isEmpty() && images().isEmpty()) << "no room: evicted at once";
}

TEST_F(ClipboardServiceTest, TakesEachChangeOnceAndRestoresWithoutRecordingAgain) {
    auto loading = open(false);
    clipboard.copy(FakeClipboard::text("early"));
    loading->poll();
    EXPECT_FALSE(loading->isReading()) << "nothing is read before the stored history is in";
    scheduler.runPending();
    loading->poll();
    scheduler.runPending();
    EXPECT_EQ(texts(loading->clips()), QStringList{"early"}) << "read once the history is in";
    loading.reset();

    auto service = open();
    copy(*service, FakeClipboard::text(QByteArray(clipboard_read::maxTextLength + 1, 'x')));
    clipboard.asked.clear();
    service->poll();
    EXPECT_TRUE(service->clips().isEmpty() && clipboard.asked.isEmpty()) << "unrecorded, yet taken";

    copy(*service, FakeClipboard::text("alpha"));
    copy(*service, picture(qRgb(1, 2, 3)));
    service->restore(service->clips().at(1));
    EXPECT_EQ(clipboard.current().value("UTF8_STRING"), "alpha");
    service->restore(service->clips().first());
    scheduler.runPending();
    EXPECT_TRUE(clipboard.current().contains("image/png"));
    service->poll();
    scheduler.runPending();
    EXPECT_EQ(texts(service->clips()), (QStringList{"Image", "alpha"})) << "restored clips stay in place";
    copy(*service, FakeClipboard::text("next"));
    EXPECT_EQ(service->clips().first().text, "next");

    Clip gone = service->clips().at(1);
    QFile::remove(*gone.storedPath);
    std::optional<bool> wrote;
    service->restore(gone, [&wrote](bool answer) { wrote = answer; });
    scheduler.runPending();
    EXPECT_EQ(wrote, false);
    EXPECT_EQ(clipboard.current().value("UTF8_STRING"), "next")
        << "an image whose file is gone leaves the clipboard";
}

TEST_F(ClipboardServiceTest, WritesTheHistoryOnlyWhenKept) {
    {
        auto service = open();
        copy(*service, FakeClipboard::text("not kept"));
        EXPECT_FALSE(QFile::exists(store()));
        service->setPersists(true);
        copy(*service, picture(qRgb(4, 5, 6)));
    }
    auto service = open();
    EXPECT_EQ(texts(service->clips()), (QStringList{"Image", "not kept"}));
    EXPECT_EQ(images().size(), 1) << "the image of a kept history stays";
    const qint64 size = QFileInfo(store()).size();
    service->clear();
    scheduler.runPending();
    EXPECT_EQ(QFileInfo(store()).size(), size) << "clear leaves the file alone while not kept";
    EXPECT_TRUE(images().isEmpty());
    service->setPersists(true);
    service->remove(Clip{});
    scheduler.runPending();
    EXPECT_EQ(QFileInfo(store()).size(), 2) << "an empty array";
    service->forgetOnDisk();
    scheduler.runPending();
    EXPECT_FALSE(QFile::exists(store()));

    // A history not kept leaves no images behind; files not named like ours stay.
    service->setPersists(false);
    copy(*service, picture(qRgb(7, 7, 7)));
    write(media() + "/notes.png", "not ours");
    service.reset();
    service = open();
    EXPECT_EQ(images(), QStringList{"notes.png"});
}

TEST_F(ClipboardServiceTest, ADamagedHistoryIsKeptAsideWithWhatDecodes) {
    const QString picture = media() + "/0F0E0D0C-0B0A-4908-8706-050403020100.png";
    const QString orphan = media() + "/00000000-0000-4000-8000-000000000000.png";
    write(picture, "png");
    write(orphan, "png");
    write(store(), QJsonDocument(QJsonArray{stored("text", "good"), stored("sticker", "?"),
                                            stored("image", "Image", picture), QJsonObject{{"kind", "text"}}})
                       .toJson());
    auto service = open();
    EXPECT_EQ(texts(service->clips()), (QStringList{"good", "Image"}));
    EXPECT_EQ(keptAside(), 1);
    EXPECT_TRUE(QFile::exists(orphan)) << "the damaged file may have named it";
    service->setPersists(true);
    copy(*service, FakeClipboard::text("new"));
    service.reset();
    EXPECT_EQ(texts(open()->clips()), (QStringList{"new", "good", "Image"}));

    write(store(), "{ not json");
    EXPECT_TRUE(open()->clips().isEmpty());
    EXPECT_EQ(keptAside(), 2);

    // What is written reads back: the oldest clips past the size a history is read at go.
    const auto clip = [](const QString& text) { return *Clip::fromJson(stored("text", text)); };
    const QList<Clip> history{clip("newest"), clip(QString(40, QChar(0x4E2D))), clip("oldest")};
    const qint64 two = clipboard_files::encode(history.mid(0, 2), 1 << 20).bytes.size();
    const clipboard_files::Encoded encoded = clipboard_files::encode(history, two);
    EXPECT_EQ(encoded.count, 2);
    EXPECT_EQ(QJsonDocument::fromJson(encoded.bytes).array().size(), 2);
    EXPECT_EQ(clipboard_files::encode(history, two - 1).count, 1);
}

TEST_F(ClipboardServiceTest, StoredPathsNeverLeadToTheUsersFiles) {
    const QString mine = userFile("holiday.png");
    const QString link = media() + "/11111111-2222-4333-8444-555555555555.png";
    QDir().mkpath(media());
    ASSERT_TRUE(QFile::link(mine, link));
    write(store(), QJsonDocument(QJsonArray{stored("image", "Image", mine), stored("image", "Image", link),
                                            stored("image", "Image", media() + "/../../holiday.png"),
                                            stored("file", "holiday.png", mine)})
                       .toJson());
    auto service = open();
    ASSERT_EQ(texts(service->clips()), QStringList{"holiday.png"}) << "image clips must name our own files";
    service->clear();
    const Clip edited{.id = QUuid::createUuid(),
                      .kind = Clip::Kind::image,
                      .text = "Image",
                      .storedPath = mine,
                      .copiedAt = Date{0},
                      .sourceApp = std::nullopt};
    service->remove(edited);
    scheduler.runPending();
    EXPECT_TRUE(QFile::exists(mine));
    EXPECT_TRUE(QFileInfo(link).isSymLink());
}
