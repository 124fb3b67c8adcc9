// Two copies of the program, one per display of one user, share the data folder: no
// copy deletes an image the other still lists, no save drops the other's clips or quick
// apps, and every file and folder they write is the user's alone.
#include "ClipboardTestSupport.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskServices/QuickApps/QuickAppsService.h"
#include "VeskServices/Storage/JsonListFile.h"

#include "support/Files.h"
#include "support/Workspace/FakeDesktopApplications.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <sys/stat.h>

using namespace vesk;
using namespace vesk::test;

namespace {

FakeClipboard::Contents picture(QRgb colour) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(colour);
    return {{QStringLiteral("image/png"), FakeClipboard::encoded(image)}};
}

template <typename T, typename Field> QStringList each(const QList<T>& items, Field field) {
    QStringList result;
    for (const T& item : items)
        result << item.*field;
    return result;
}

QStringList texts(const QList<Clip>& clips) {
    return each(clips, &Clip::text);
}

QStringList bundleIDs(const QList<QuickApp>& apps) {
    return each(apps, &QuickApp::bundleID);
}

QStringList storedTexts(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    QStringList result;
    for (const QJsonValue& value : QJsonDocument::fromJson(file.readAll()).array())
        result << value.toObject().value("text").toString();
    return result;
}

QByteArray contents(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

mode_t modeOf(const QString& path) {
    struct stat status {};
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

} // namespace

class ClipboardCopiesTest : public ClipboardTest {
protected:
    FakeClipboard otherDisplay;
    // Each copy a second apart, as a person copies.
    void later() { scheduler.clock().advance(1); }
    static QuickApp pin(const QString& id) {
        return QuickApp{.id = QUuid::createUuid(), .bundleID = id, .name = id, .path = std::nullopt};
    }
    const QuickAppsService::Environment desktop{.applications = std::make_shared<FakeDesktopApplications>(),
                                                .running = std::make_shared<FakeRunningApplications>()};
};

TEST_F(ClipboardCopiesTest, TwoCopiesKeepEachOthersClipsImagesAndQuickAppsInPrivateFiles) {
    // Older versions made these open to everyone.
    ASSERT_TRUE(QDir().mkpath(media()));
    ::chmod(QFile::encodeName(container()).constData(), 0755);
    ::chmod(QFile::encodeName(media()).constData(), 0755);

    auto first = open();
    copy(*first, picture(qRgb(200, 0, 0)));
    const QString firstImage = *first->clips().first().storedPath;
    auto second = open(true, &otherDisplay);
    EXPECT_TRUE(QFile::exists(firstImage)) << "a copy starting deletes no image another copy lists";

    first->setPersists(true);
    second->setPersists(true);
    later();
    copy(*first, FakeClipboard::text("from the first display"));
    later();
    copy(*second, FakeClipboard::text("from the second display"), &otherDisplay);
    EXPECT_EQ(texts(second->clips()),
              (QStringList{"from the second display", "from the first display", "Image"}))
        << "a save merges in what the other copy saved";
    later();
    copy(*first, FakeClipboard::text("again from the first"));
    EXPECT_EQ(storedTexts(store()), (QStringList{"again from the first", "from the second display",
                                                 "from the first display", "Image"}));

    // Removing spreads to the other copy's next save; images stay while it runs.
    second->remove(second->clips().at(2));
    second->clear();
    scheduler.runPending();
    EXPECT_TRUE(QFile::exists(firstImage)) << "the first copy still lists it";
    EXPECT_EQ(storedTexts(store()), QStringList{});
    later();
    copy(*first, FakeClipboard::text("last"));
    EXPECT_EQ(texts(first->clips()), QStringList{"last"}) << "what the other copy removed stays removed";

    for (const QString& path : {store(), firstImage})
        EXPECT_EQ(modeOf(path), mode_t(0600)) << qPrintable(path);
    for (const QString& path : {container(), media()})
        EXPECT_EQ(modeOf(path), mode_t(0700)) << qPrintable(path);

    // Alone again, a copy deletes what nobody lists any more.
    second.reset();
    first.reset();
    auto alone = open();
    EXPECT_FALSE(QFile::exists(firstImage));
    EXPECT_EQ(texts(alone->clips()), QStringList{"last"});
    EXPECT_TRUE(QDir(media()).entryList({".running-*"}, QDir::Files | QDir::Hidden).size() == 1);

    // Quick apps: each copy pins and unpins; neither save loses the other's.
    QuickAppsService a(QStringLiteral("Vesk"), desktop);
    QuickAppsService b(QStringLiteral("Vesk"), desktop);
    a.add(pin("editor.desktop"));
    b.add(pin("terminal.desktop"));
    b.add(pin("editor.desktop"));
    a.add(pin("mail.desktop"));
    EXPECT_EQ(each(a.apps(), &QuickApp::bundleID),
              (QStringList{"editor.desktop", "mail.desktop", "terminal.desktop"}));
    const QList<QuickApp> pinned = b.apps();
    for (const QuickApp& app : pinned)
        if (app.bundleID == "editor.desktop") b.remove(app);
    a.move(0, 0);
    EXPECT_EQ(each(a.apps(), &QuickApp::bundleID), (QStringList{"mail.desktop", "terminal.desktop"}))
        << "one app per id, and the other copy's unpinning holds";
    EXPECT_EQ(each(QuickAppsService(QStringLiteral("Vesk"), desktop).apps(), &QuickApp::bundleID),
              each(a.apps(), &QuickApp::bundleID));
    EXPECT_EQ(modeOf(a.url()), mode_t(0600));
}

// A save merges only a file that reads whole: entries missing from a damaged, cut or
// oversized file were not removed by another copy. Such a file is kept aside instead.
TEST_F(ClipboardCopiesTest, ASaveMergesOnlyAFileThatReadsWholeAndKeepsTheOthersAside) {
    QuickAppsService apps(QStringLiteral("Vesk"), desktop);
    apps.add(pin("alpha"));
    apps.add(pin("bravo"));
    const QByteArray whole = contents(apps.url());
    const QList<QByteArray> damage{whole.left(whole.size() - 20), "[{\"id\": 3}]",
                                   QByteArray(json_list::maxFileSize + 1, ' ')};
    QStringList expected{"alpha", "bravo"};
    for (const QByteArray& bytes : damage) {
        write(apps.url(), bytes);
        expected << QStringLiteral("app%1").arg(expected.size());
        apps.add(pin(expected.last()));
        EXPECT_EQ(each(QuickAppsService(QStringLiteral("Vesk"), desktop).apps(), &QuickApp::bundleID),
                  expected);
    }
    EXPECT_EQ(QDir(container()).entryList({"quickapps.json.corrupt-*"}).size(), 3);
    // A whole file is still merged: see the test above.

    auto history = open();
    history->setPersists(true);
    for (const char* text : {"one", "two", "three"}) {
        later();
        copy(*history, FakeClipboard::text(text));
    }
    write(store(), contents(store()).left(40));
    later();
    copy(*history, FakeClipboard::text("four"));
    EXPECT_EQ(storedTexts(store()), (QStringList{"four", "three", "two", "one"}));
    EXPECT_EQ(texts(history->clips()), storedTexts(store()));
    EXPECT_EQ(QDir(container()).entryList({"clipboard.json.corrupt-*"}).size(), 1);
}

// Both copies start while the file is cut short: each save merges the file the other
// copy wrote whole since; only a file still damaged is kept aside.
TEST_F(ClipboardCopiesTest, TwoCopiesStartedOverACutQuickAppsFileKeepEveryPin) {
    auto first = std::make_unique<QuickAppsService>(QStringLiteral("Vesk"), desktop);
    for (const char* id : {"alpha", "bravo", "lost"})
        first->add(pin(id));
    const QByteArray whole = contents(first->url());
    write(first->url(), whole.left(whole.lastIndexOf('{') + 8));
    first.reset();
    QuickAppsService a(QStringLiteral("Vesk"), desktop);
    QuickAppsService b(QStringLiteral("Vesk"), desktop);
    b.add(pin("charlie"));
    a.add(pin("delta"));
    b.add(pin("echo"));
    a.add(pin("foxtrot"));
    const QStringList all{"alpha", "bravo", "delta", "charlie", "foxtrot", "echo"};
    EXPECT_EQ(bundleIDs(a.apps()), all);
    EXPECT_EQ(bundleIDs(QuickAppsService(QStringLiteral("Vesk"), desktop).apps()), all);
    EXPECT_EQ(QDir(container()).entryList({"quickapps.json.corrupt-*"}).size(), 1);
}

// A clip the other copy cleared (maybe a password) stays gone when this copy, whose write
// failed on a full disk meanwhile, writes again.
TEST_F(ClipboardCopiesTest, AClearByTheOtherCopyHoldsThroughAWriteThatFailed) {
    auto a = open();
    a->setPersists(true);
    copy(*a, FakeClipboard::text("one"));
    auto b = open(true, &otherDisplay);
    b->setPersists(true);
    later();
    copy(*b, FakeClipboard::text("password"), &otherDisplay);
    {
        const ScopedFileSizeLimit full(8);
        later();
        copy(*a, FakeClipboard::text("two"));
    }
    EXPECT_EQ(texts(a->clips()), (QStringList{"two", "password", "one"}));
    b->clear();
    scheduler.runPending();
    later();
    copy(*a, FakeClipboard::text("three"));
    EXPECT_EQ(storedTexts(store()), (QStringList{"three", "two"}));
    EXPECT_EQ(texts(a->clips()), storedTexts(store()));
}

// A full disk: no save empties or cuts a file, and what changed stays in memory until
// writing works again; then the next change (settings) or the end (quick apps, the
// clipboard history) writes it.
TEST_F(ClipboardCopiesTest, SavesThatCannotBeWrittenKeepTheOldFilesAndWriteOnceTheyCan) {
    auto settings = UserDefaults::atPath(container() + QStringLiteral("/defaults.json"));
    settings->setBool(QStringLiteral("soundEnabled"), true);
    auto apps = std::make_unique<QuickAppsService>(QStringLiteral("Vesk"), desktop);
    apps->add(pin("alpha"));
    auto history = open();
    history->setPersists(true);
    copy(*history, FakeClipboard::text("kept"));
    scheduler.advance(UserDefaults::writeDelay);
    const QStringList paths{settings->path(), apps->url(), store()};
    QList<QByteArray> before;
    for (const QString& path : paths)
        before << contents(path);
    {
        const ScopedFileSizeLimit full(8);
        settings->setBool(QStringLiteral("demoMode"), true);
        apps->add(pin("bravo"));
        later();
        copy(*history, FakeClipboard::text("copied while full"));
        for (qsizetype i = 0; i < paths.size(); ++i)
            EXPECT_EQ(contents(paths[i]), before[i]) << qPrintable(paths[i]);
        EXPECT_TRUE(settings->isDirty());
    }
    settings->setBool(QStringLiteral("hapticFeedback"), false);
    scheduler.advance(UserDefaults::writeDelay);
    apps.reset();
    history.reset();
    scheduler.runPending();
    EXPECT_TRUE(UserDefaults::atPath(paths[0])->boolValue(QStringLiteral("demoMode")));
    EXPECT_EQ(bundleIDs(QuickAppsService(QStringLiteral("Vesk"), desktop).apps()),
              (QStringList{"alpha", "bravo"}));
    EXPECT_EQ(storedTexts(store()), (QStringList{"copied while full", "kept"}));
}
