#include "StoreFixture.h"

#include "VeskSync/Deduplicator.h"

using namespace vesk;
using namespace vesk::test;

namespace {

class DeduplicatorTest : public StoreFixture {
protected:
    void SetUp() override { container = openStore(); }
    std::shared_ptr<ModelContainer> container;
};

} // namespace

TEST_F(DeduplicatorTest, KeepsThePreferredRowOfEachGroup) {
    const QUuid shared = QUuid::createUuid();
    const struct Case {
        const char* name;
        QList<std::pair<double, bool>> todos; // createdAt, done; in store order
        int keeper;                           // index of the row kept
    } cases[] = {
        {"earlier wins", {{5, false}, {3, false}}, 1},
        {"equal times: the done one", {{5, false}, {5, true}}, 1},
        {"equal and alike: the first read", {{5, true}, {5, true}}, 0},
        {"three in a group", {{7, false}, {2, false}, {4, true}}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(storePath());
        container = openStore();
        {
            ModelContext seed(container);
            for (int i = 0; i < c.todos.size(); ++i) {
                auto made = todo(QString::number(i), shared, Date{c.todos[i].first});
                made->isDone = c.todos[i].second;
                seed.insert(made);
            }
            ASSERT_TRUE(seed.save());
        }
        ModelContext context(container);
        const auto summary = Deduplicator().run(context);
        ASSERT_TRUE(summary);
        EXPECT_EQ(summary->todos, c.todos.size() - 1);
        const auto left = ModelContext(container).fetch<SyncedTodo>();
        ASSERT_EQ(left->size(), 1);
        EXPECT_EQ(left->first()->title, QString::number(c.keeper));
    }
}

TEST_F(DeduplicatorTest, EveryKindInOneSaveTimersAndShortcutsByPosition) {
    const QUuid timer = QUuid::createUuid(), shortcut = QUuid::createUuid();
    {
        ModelContext seed(container);
        for (qint64 index : {2, 0}) {
            auto t = std::make_shared<SyncedTimer>();
            t->uuid = timer;
            t->sortIndex = index;
            seed.insert(t);
            auto s = std::make_shared<SyncedShortcut>();
            s->uuid = shortcut;
            s->sortIndex = index;
            seed.insert(s);
        }
        seed.insert(todo(QStringLiteral("alone")));
        ASSERT_TRUE(seed.save());
    }
    ModelContext context(container);
    EXPECT_EQ(*Deduplicator().run(context),
              (Deduplicator::Summary{.todos = 0, .notes = 0, .timers = 1, .shortcuts = 1}));
    ModelContext reader(container);
    EXPECT_EQ(reader.fetch<SyncedTimer>()->first()->sortIndex, 0);
    EXPECT_EQ(reader.fetch<SyncedShortcut>()->first()->sortIndex, 0);
    EXPECT_EQ(reader.fetch<SyncedTodo>()->size(), 1);
    EXPECT_TRUE(Deduplicator().run(reader)->isEmpty());
    EXPECT_FALSE(reader.hasChanges());
}

TEST_F(DeduplicatorTest, ALosingNoteHandsItsRevisionsToTheKeeperAndTiesGoByRecordName) {
    const QUuid scratch = QUuid::createUuid();
    {
        ModelContext seed(container);
        // Two computers each made the note with one revision: a tie.
        for (const char* device : {"Mac A", "Mac B"}) {
            auto note = std::make_shared<SyncedNote>();
            note->uuid = scratch;
            seed.setNote(revision(QString::fromLatin1(device), Date{1}, QString::fromLatin1(device)), note);
        }
        ASSERT_TRUE(seed.save());
    }
    auto db = peer();
    const QString smaller =
        db.integer("SELECT pk FROM SyncedNote ORDER BY record_name LIMIT 1").value() == 1 ? "1" : "2";
    ModelContext context(container);
    EXPECT_EQ(Deduplicator().run(context)->notes, 1);
    EXPECT_EQ(count(db, "SyncedNote"), 1);
    EXPECT_EQ(QString::number(*db.integer("SELECT pk FROM SyncedNote")), smaller)
        << "the smaller record name stays, whatever the store order";
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 2) << "both computers' texts stay";
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE note = (SELECT pk FROM SyncedNote)"),
              2);

    // More revisions win over the record name.
    {
        ModelContext seed(container);
        auto note = std::make_shared<SyncedNote>();
        note->uuid = scratch;
        seed.setNote(revision(QStringLiteral("late")), note);
        ASSERT_TRUE(seed.save());
    }
    ModelContext again(container);
    EXPECT_EQ(Deduplicator().run(again)->notes, 1);
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 3);
    EXPECT_EQ(QString::number(*db.integer("SELECT pk FROM SyncedNote")), smaller);
}
