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

TEST_F(DeduplicatorTest, KeepsThePreferredRowOfEachGroupInOneSave) {
    const QUuid shared = QUuid::createUuid(), timer = QUuid::createUuid(), shortcut = QUuid::createUuid();
    const struct Case {
        const char* name;
        QList<std::pair<double, bool>> todos; // createdAt, done; in store order
        int keeper;                           // index of the row kept; -1: the smaller record name
    } cases[] = {
        {"earlier wins", {{5, false}, {3, false}}, 1},
        {"equal times: the done one", {{5, false}, {5, true}}, 1},
        {"equal and alike: the same on every computer", {{5, true}, {5, true}}, -1},
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
            // Timers and shortcuts: the one placed first stays.
            for (qint64 index : {2, 0}) {
                seed.insert(std::make_shared<SyncedTimer>(SyncedTimer{timer, {}, 0, index}));
                seed.insert(
                    std::make_shared<SyncedShortcut>(SyncedShortcut{shortcut, {}, {}, {}, {}, index}));
            }
            ASSERT_TRUE(seed.save());
        }
        auto db = peer();
        sqlite::Statement first(db, "SELECT title FROM SyncedTodo ORDER BY record_name LIMIT 1");
        ASSERT_TRUE(first.step());
        const QString keeper = c.keeper < 0 ? first.text(0) : QString::number(c.keeper);
        ModelContext context(container);
        EXPECT_EQ(*Deduplicator().run(context), (Deduplicator::Summary{int(c.todos.size()) - 1, 0, 1, 1}));
        ModelContext reader(container);
        ASSERT_EQ(reader.fetch<SyncedTodo>()->size(), 1);
        EXPECT_EQ(reader.fetch<SyncedTodo>()->first()->title, keeper);
        EXPECT_EQ(reader.fetch<SyncedTimer>()->first()->sortIndex, 0);
        EXPECT_EQ(reader.fetch<SyncedShortcut>()->first()->sortIndex, 0);
        EXPECT_TRUE(Deduplicator().run(reader)->isEmpty());
        EXPECT_FALSE(reader.hasChanges());
    }
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

    // A revision another copy adds to a losing note while the collapse waits for the lock
    // moves with the others instead of going with that note.
    ModelContext third(container);
    third.insert(std::make_shared<SyncedNote>(SyncedNote{scratch, {}, distantPast}));
    ASSERT_TRUE(third.save());
    commitWhileWaiting(*container, db,
                       "INSERT INTO SyncedNoteRevision (record_name, text, note) VALUES "
                       "('typed', 'typed meanwhile', (SELECT max(pk) FROM SyncedNote))",
                       [&] { EXPECT_EQ(Deduplicator().run(third)->notes, 1); });
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE note = (SELECT pk FROM SyncedNote)"),
              4);
}
