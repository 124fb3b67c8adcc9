#include "StoreFixture.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/JSONMigration.h"
#include "support/ManualScheduler.h"

#include <QDir>
#include <QFileInfo>

using namespace vesk;
using namespace vesk::test;

namespace {

class JSONMigrationTest : public StoreFixture {
protected:
    void SetUp() override {
        UserDefaults::setStandard(defaults);
        container = openStore();
    }
    void TearDown() override { UserDefaults::setStandard(nullptr); }

    // A fresh folder of older files; each argument is a file's text, or none.
    JSONMigration migration(std::optional<QByteArray> todos, std::optional<QByteArray> shortcuts = {},
                            std::optional<QByteArray> note = {}) {
        const QString name = QStringLiteral("Legacy-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        const QString folder = QFileInfo(files::applicationSupportFolder()).absolutePath() + "/" + name;
        QDir().mkpath(folder);
        if (todos) write(folder + "/todos.json", *todos);
        if (shortcuts) write(folder + "/shortcuts.json", *shortcuts);
        if (note) write(folder + "/note.txt", *note);
        defaults->remove(QStringLiteral("didMigrateJSONStores"));
        return JSONMigration{name, QStringLiteral("Mac A"), &clock};
    }
    JSONMigration::Summary run(const JSONMigration& migration, bool force = false) {
        ModelContext context(container);
        return migration.run(context, force).value_or(JSONMigration::Summary{-1, -1, -1, -1});
    }
    RecordList<SyncedTodo> todos() { return *ModelContext(container).fetch<SyncedTodo>(); }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    std::shared_ptr<ModelContainer> container;
    ManualClock clock;
};

} // namespace

TEST_F(JSONMigrationTest, ImportsEachReadableRowOnce) {
    const QString stored = QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        ModelContext seed(container);
        seed.insert(todo(QStringLiteral("already here"), QUuid(stored)));
        ASSERT_TRUE(seed.save());
    }
    const QByteArray rows = R"([
        {"isDone": true},
        {"title": 5},
        {"id": ")" + stored.toUtf8() +
                            R"(", "title": "stored"},
        {"id": "{6F9619FF-8B86-D011-B42D-00C04FC964FF}", "title": "braces"},
        {"title": "epoch", "createdAt": 0, "completedAt": -60, "isFavorite": true},
        "not a row"
    ])";
    const auto summary = run(migration(rows));
    EXPECT_EQ(summary, (JSONMigration::Summary{.todos = 2, .timers = 0, .shortcuts = 0, .notes = 0}));
    const auto all = todos();
    ASSERT_EQ(all.size(), 3);
    const SyncedTodo& done = *all.at(1);
    EXPECT_TRUE(done.isDone);
    EXPECT_EQ(done.title, QString());
    EXPECT_EQ(done.createdAt, clock.now());
    EXPECT_FALSE(done.completedAt);
    EXPECT_EQ(done.sortIndex, 0);
    EXPECT_EQ(done.deviceID, QStringLiteral("Mac A"));
    const SyncedTodo& epoch = *all.at(2);
    EXPECT_EQ(epoch.createdAt, Date{0});
    EXPECT_EQ(epoch.completedAt, Date{-60});
    EXPECT_FALSE(epoch.isDone);
    EXPECT_EQ(epoch.sortIndex, 4) << "positions are the file's, gaps kept";
    EXPECT_TRUE(defaults->boolValue(QStringLiteral("didMigrateJSONStores")));

    // Once done, later files are not read, unless forced; rows without an id come again.
    JSONMigration again{migration(R"([{"title": "x"}])")};
    defaults->setBool(QStringLiteral("didMigrateJSONStores"), true);
    EXPECT_TRUE(run(again).isEmpty());
    EXPECT_EQ(run(again, true).todos, 1);
    EXPECT_EQ(run(again, true).todos, 1);
}

TEST_F(JSONMigrationTest, FilesThatAreNotListsAddNothing) {
    const struct {
        const char* name;
        std::optional<QByteArray> todos, shortcuts, note;
        JSONMigration::Summary expected;
    } cases[] = {
        {"nothing there", {}, {}, {}, {}},
        {"objects, not lists", R"({"title": "a"})", "not json", {}, {}},
        {"an empty note", {}, {}, QByteArray(), {}},
        {"a note of one line break", {}, {}, QByteArray("\n"), {.notes = 1}},
        {"two rows with one id",
         R"([{"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF"}, {"id": "6F9619FF-8B86-D011-B42D-00C04FC964FF"}])",
         R"([{"shortcutName": "Focus"}, {"shortcutName": "Dim", "symbol": ""}])",
         {},
         {.todos = 2, .shortcuts = 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(run(migration(c.todos, c.shortcuts, c.note)), c.expected);
    }
    const auto shortcuts = *ModelContext(container).fetch<SyncedShortcut>();
    ASSERT_EQ(shortcuts.size(), 2);
    EXPECT_EQ(shortcuts.at(0)->symbol, QStringLiteral("sparkles"));
    EXPECT_EQ(shortcuts.at(1)->symbol, QString());
    EXPECT_EQ(shortcuts.at(1)->sortIndex, 1);

    // The scratch note exists now: another note file is left alone.
    EXPECT_EQ(run(migration({}, {}, QByteArray("other text"))).notes, 0);
    DeskRepository repository(newContext(container), QStringLiteral("Mac A"));
    EXPECT_EQ(repository.noteText(), QStringLiteral("\n"));
}
