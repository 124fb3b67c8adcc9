// The older to-do and note files: what the stores write reads back, and damaged files.
#include "VeskServices/LegacyStores/NoteStore.h"
#include "VeskServices/LegacyStores/TodoStore.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QStandardPaths>

using namespace vesk;
using namespace vesk::test;

namespace {

QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vesk");
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList titles(const QList<TodoItem>& items) {
    QStringList result;
    for (const TodoItem& item : items)
        result << item.title;
    return result;
}

class LegacyStoresTest : public ::testing::Test {
protected:
    void SetUp() override { QDir(folder()).removeRecursively(); }
    ManualClock clock{Date{1000000}};
};

} // namespace

TEST_F(LegacyStoresTest, ToDosReadBackSortAndArchiveAfterADay) {
    {
        TodoStore store(QStringLiteral("Vesk"), QStringLiteral("todos.json"), &clock);
        EXPECT_FALSE(store.add(QStringLiteral("  \n ")));
        EXPECT_FALSE(QFile::exists(store.url())) << "a blank title writes nothing";
        const TodoItem old = *store.add(QStringLiteral(" \tfavourite old\n"));
        store.toggleFavorite(old);
        clock.advance(10);
        store.add(QStringLiteral("old"));
        clock.advance(10);
        store.add(QStringLiteral("new"));
        const TodoItem doneNow = *store.add(QStringLiteral("done now"));
        const TodoItem doneExactlyADayAgo = *store.add(QStringLiteral("done a day ago"));
        const TodoItem doneEarlier = *store.add(QStringLiteral("done a day and a second ago"));
        store.toggleFavorite(doneNow);
        store.toggleDone(doneNow, clock.now());
        store.toggleDone(doneExactlyADayAgo, clock.now() - 86400);
        store.toggleDone(doneEarlier, clock.now() - 86401);
        // The last two agree in every key: they keep their stored order.
        EXPECT_EQ(titles(store.sorted()), (QStringList{"favourite old", "new", "old", "done now",
                                                       "done a day and a second ago", "done a day ago"}));
        EXPECT_EQ(store.items().first().title, "done a day and a second ago") << "newest additions first";
    }
    TodoStore store(QStringLiteral("Vesk"), QStringLiteral("todos.json"), &clock);
    EXPECT_EQ(titles(store.sorted()),
              (QStringList{"favourite old", "new", "old", "done now", "done a day ago"}))
        << "archived on opening: done more than a day ago";
    const TodoItem& done = store.sorted().at(3);
    EXPECT_TRUE(done.isFavorite);
    EXPECT_EQ(done.completedAt, clock.now());
    store.toggleDone(done, clock.now());
    const auto undone = std::find_if(store.items().begin(), store.items().end(),
                                     [&](const TodoItem& item) { return item.id == done.id; });
    EXPECT_FALSE(undone->isDone);
    EXPECT_FALSE(undone->completedAt);

    const QJsonArray array = QJsonDocument::fromJson(contents(store.url())).array();
    ASSERT_EQ(array.size(), 5);
    for (const QJsonValue& value : array) {
        const QJsonObject object = value.toObject();
        QStringList keys{"createdAt", "id", "isDone", "isFavorite", "title"};
        if (object.value("isDone").toBool()) keys.insert(0, "completedAt");
        EXPECT_EQ(object.keys(), keys);
        EXPECT_TRUE(object.value("id").toString().contains(QRegularExpression("^[0-9A-F-]{36}$")));
    }
}

TEST_F(LegacyStoresTest, AnUnreadableToDoFileIsKeptAsideWithWhatDecodes) {
    const QString path = folder() + QStringLiteral("/todos.json");
    const QJsonObject good{{"id", "5B4C0C61-1D0E-4E52-9A3C-2A0D6F1E7B11"},
                           {"title", "keep me"},
                           {"isDone", false},
                           {"isFavorite", true},
                           {"createdAt", 100.0}};
    QJsonObject noFavourite = good;
    noFavourite.remove("isFavorite");
    noFavourite["title"] = "lacks a key";
    write(path, QJsonDocument(QJsonArray{good, noFavourite}).toJson());
    {
        TodoStore store(QStringLiteral("Vesk"), QStringLiteral("todos.json"), &clock);
        EXPECT_EQ(titles(store.items()), QStringList{"keep me"});
        store.add(QStringLiteral("added"));
    }
    const QStringList aside = QDir(folder()).entryList({QStringLiteral("todos.json.corrupt-*")});
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(contents(folder() + QLatin1Char('/') + aside.first()).contains("lacks a key"));
    TodoStore store(QStringLiteral("Vesk"), QStringLiteral("todos.json"), &clock);
    EXPECT_EQ(titles(store.items()), (QStringList{"added", "keep me"}));
}

TEST_F(LegacyStoresTest, NotesKeepABackupAndReadUtf8Strictly) {
    {
        NoteStore note(QStringLiteral("Vesk"), QStringLiteral("note.txt"));
        EXPECT_EQ(note.text(), QString());
        QString told;
        note.onChange = [&](const QString& text) { told = text; };
        note.save(QStringLiteral("Grüße ✓"));
        EXPECT_EQ(told, "Grüße ✓");
        EXPECT_FALSE(QFile::exists(note.backupURL())) << "saving leaves the backup alone";
    }
    {
        NoteStore note(QStringLiteral("Vesk"), QStringLiteral("note.txt"));
        EXPECT_EQ(note.text(), "Grüße ✓");
        EXPECT_EQ(contents(note.backupURL()), QStringLiteral("Grüße ✓").toUtf8());
        QFile::remove(note.url());
    }
    NoteStore recovered(QStringLiteral("Vesk"), QStringLiteral("note.txt"));
    EXPECT_EQ(recovered.text(), "Grüße ✓");
    EXPECT_TRUE(recovered.recoveredFromBackup());
    recovered.save(QStringLiteral("again"));
    EXPECT_FALSE(recovered.recoveredFromBackup());

    write(recovered.url(), QByteArray("bad \xff\xfe bytes"));
    NoteStore invalid(QStringLiteral("Vesk"), QStringLiteral("note.txt"));
    EXPECT_EQ(invalid.text(), "Grüße ✓") << "invalid UTF-8 is a failed read: the backup's text";
    EXPECT_EQ(contents(invalid.backupURL()), QStringLiteral("Grüße ✓").toUtf8());
}
