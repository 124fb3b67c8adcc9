// The older to-do and note files: what the stores write reads back, and damaged files.
#include "VeskServices/LegacyStores/NoteStore.h"
#include "VeskServices/LegacyStores/TodoStore.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStandardPaths>

using namespace vesk;
using namespace vesk::test;

namespace {

// Read when used: the test's own data folder is set only once main runs.
QString folder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/Vesk";
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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
    TodoStore todos() { return TodoStore("Vesk", "todos.json", &clock); }
    ManualClock clock{Date{1000000}};
};

} // namespace

TEST_F(LegacyStoresTest, ToDosReadBackSortAndArchiveAfterADay) {
    {
        TodoStore store = todos();
        EXPECT_FALSE(store.add(" \n "));
        EXPECT_FALSE(QFile::exists(store.url())) << "a blank title writes nothing";
        store.toggleFavorite(*store.add(" \tfavourite old\n"));
        clock.advance(10);
        store.add("old");
        clock.advance(10);
        store.add("new");
        const TodoItem doneNow = *store.add("done now");
        store.toggleDone(*store.add("done a day ago"), clock.now() - 86400);
        store.toggleDone(*store.add("done a day and a second ago"), clock.now() - 86401);
        store.toggleFavorite(doneNow);
        store.toggleDone(doneNow, clock.now());
    }
    TodoStore store = todos();
    EXPECT_EQ(titles(store.sorted()),
              (QStringList{"favourite old", "new", "old", "done now", "done a day ago"}))
        << "archived on opening: done more than a day ago";
    const QJsonArray array = QJsonDocument::fromJson(contents(store.url())).array();
    ASSERT_EQ(array.size(), 5);
    for (const QJsonValue& value : array) {
        QStringList keys{"createdAt", "id", "isDone", "isFavorite", "title"};
        if (value["isDone"].toBool()) keys.insert(0, "completedAt");
        EXPECT_EQ(value.toObject().keys(), keys);
    }
    store.toggleDone(store.sorted().at(3), clock.now());
    EXPECT_EQ(store.sorted().first().title, "done now") << "undone, a newer favourite";
    EXPECT_FALSE(store.sorted().first().completedAt);
}

TEST_F(LegacyStoresTest, AnUnreadableToDoFileIsKeptAsideWithWhatDecodes) {
    const QJsonObject good{{"id", "5B4C0C61-1D0E-4E52-9A3C-2A0D6F1E7B11"},
                           {"title", "keep me"},
                           {"isDone", false},
                           {"isFavorite", true},
                           {"createdAt", 100.0}};
    QJsonObject lacking = good;
    lacking.remove("isFavorite");
    QDir().mkpath(folder());
    QFile file(folder() + "/todos.json");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(QJsonArray{good, lacking}).toJson());
    file.close();
    todos().add("added");
    EXPECT_EQ(QDir(folder()).entryList({"todos.json.corrupt-*"}).size(), 1);
    EXPECT_EQ(titles(todos().items()), (QStringList{"added", "keep me"}));
}

TEST_F(LegacyStoresTest, NotesKeepABackupAndReadUtf8Strictly) {
    NoteStore("Vesk", "note.txt").save("Grüße ✓");
    NoteStore note("Vesk", "note.txt");
    EXPECT_EQ(contents(note.backupURL()), "Grüße ✓");
    note.save("unsaved to the backup");
    QFile::remove(note.url());
    EXPECT_EQ(NoteStore("Vesk", "note.txt").text(), "Grüße ✓");
    EXPECT_TRUE(NoteStore("Vesk", "note.txt").recoveredFromBackup());
    QFile bad(note.url());
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly) && bad.write("bad \xff\xfe bytes") > 0);
    bad.close();
    EXPECT_EQ(NoteStore("Vesk", "note.txt").text(), "Grüße ✓") << "invalid UTF-8 is a failed read";
}
