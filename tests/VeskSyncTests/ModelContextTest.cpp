#include "StoreFixture.h"

using namespace vesk;
using namespace vesk::test;

namespace {

QStringList titles(const std::optional<RecordList<SyncedTodo>>& todos) {
    QStringList result;
    for (const auto& todo : todos.value_or(RecordList<SyncedTodo>{}))
        result << todo->title;
    return result;
}

} // namespace

using ModelContextTest = StoreFixture;

TEST_F(ModelContextTest, KeepsRowsWithOneUuidApartAndReadsValuesBackAsWritten) {
    auto container = openStore();
    ModelContext writer(container);
    const QUuid shared = QUuid::createUuid();
    writer.insert(todo(QStringLiteral("first"), shared));
    writer.insert(todo(QString(), shared, Date{-5}));
    ASSERT_TRUE(writer.save());

    ModelContext reader(container);
    const auto both = reader.fetch<SyncedTodo>(shared);
    ASSERT_EQ(both->size(), 2);
    EXPECT_EQ(*both->at(0), *todo(QStringLiteral("first"), shared));
    EXPECT_EQ(*both->at(1), *todo(QString(), shared, Date{-5}));
    EXPECT_FALSE(both->at(1)->completedAt.has_value());
    EXPECT_NE(reader.recordName(both->at(0)), reader.recordName(both->at(1)));
}

TEST_F(ModelContextTest, NoteAndRevisionsAgreeBothWaysAndGoTogether) {
    auto container = openStore();
    ModelContext writer(container);
    auto note = std::make_shared<SyncedNote>();
    auto kept = revision(QStringLiteral("a"));
    auto dropped = revision(QStringLiteral("b"));
    EXPECT_EQ(writer.revisions(note)->size(), 0);
    writer.setNote(kept, note);
    writer.setNote(dropped, note);
    EXPECT_EQ(writer.revisions(note)->size(), 2);
    ASSERT_TRUE(writer.save());

    // Deleting a revision leaves its note.
    ModelContext other(container);
    const auto notes = other.fetch<SyncedNote>();
    ASSERT_EQ(notes->size(), 1);
    const auto revisions = other.revisions(notes->first());
    ASSERT_EQ(revisions->size(), 2);
    EXPECT_EQ(other.note(revisions->at(0)), notes->first());
    other.remove(revisions->at(1));
    ASSERT_TRUE(other.save());
    EXPECT_EQ(other.revisions(notes->first())->size(), 1);
    EXPECT_EQ(writer.revisions(note)->size(), 1) << "another context's delete is seen at the next read";

    // A note deleted in a context that never read its revisions takes them along.
    ModelContext deleter(container);
    deleter.remove(deleter.fetch<SyncedNote>()->first());
    ASSERT_TRUE(deleter.save());
    auto db = peer();
    EXPECT_EQ(count(db, "SyncedNote"), 0);
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 0);
}

// Another context moves this context's revisions to another note and deletes their own
// (the duplicate collapse does): the revisions follow, one of them keeping its unsaved
// text, and no save unlinks them.
TEST_F(ModelContextTest, RevisionsFollowAMoveByAnotherContextAndKeepTheirOwnEdits) {
    auto container = openStore();
    ModelContext writer(container);
    auto note = std::make_shared<SyncedNote>();
    auto untouched = revision(QStringLiteral("untouched"));
    auto edited = revision(QStringLiteral("before"));
    writer.setNote(untouched, note);
    writer.setNote(edited, note);
    ASSERT_TRUE(writer.save());
    edited->text = QStringLiteral("unsaved edit");

    {
        ModelContext collapse(container);
        auto keeper = std::make_shared<SyncedNote>();
        collapse.insert(keeper);
        const auto loser = collapse.fetch<SyncedNote>()->first();
        const auto moving = collapse.revisions(loser);
        ASSERT_EQ(moving->size(), 2);
        for (const auto& moved : *moving)
            collapse.setNote(moved, keeper);
        collapse.remove(loser);
        ASSERT_TRUE(collapse.save());
    }

    const auto notes = writer.fetch<SyncedNote>();
    ASSERT_EQ(notes->size(), 1);
    const auto keeper = notes->first();
    EXPECT_EQ(writer.revisions(keeper)->size(), 2);
    EXPECT_EQ(writer.note(untouched), keeper);
    EXPECT_EQ(writer.note(edited), keeper);
    EXPECT_EQ(edited->text, QStringLiteral("unsaved edit"));
    ASSERT_TRUE(writer.save());
    EXPECT_FALSE(writer.hasChanges());

    auto db = peer();
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE note IS NULL"), 0);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE text = 'unsaved edit'"), 1);
}

TEST_F(ModelContextTest, FetchesSeeUnsavedChangesAndRollbackForgetsThem) {
    auto container = openStore();
    {
        ModelContext seed(container);
        for (const char* title : {"a", "b", "c"})
            seed.insert(todo(QString::fromLatin1(title)));
        ASSERT_TRUE(seed.save());
    }
    ModelContext context(container);
    auto todos = *context.fetch<SyncedTodo>();
    todos[0]->title = QStringLiteral("a edited");
    context.remove(todos[1]);
    context.insert(todo(QStringLiteral("new")));
    EXPECT_EQ(titles(context.fetch<SyncedTodo>()), (QStringList{"a edited", "c", "new"}));

    // Another writer's change of an untouched row shows; the edited row keeps its edit.
    auto db = peer();
    ASSERT_TRUE(db.exec("UPDATE SyncedTodo SET title = title || '!'"));
    EXPECT_EQ(titles(context.fetch<SyncedTodo>()), (QStringList{"a edited", "c!", "new"}));

    EXPECT_TRUE(context.hasChanges());
    context.rollback();
    EXPECT_FALSE(context.hasChanges());
    EXPECT_EQ(todos[0]->title, QStringLiteral("a!"));
    EXPECT_EQ(titles(context.fetch<SyncedTodo>()), (QStringList{"a!", "b!", "c!"}));
}

TEST_F(ModelContextTest, SaveRefusedByAHeldLockKeepsTheChangeForTheNextSave) {
    auto container = openStore();
    ModelContext context(container);
    auto db = peer();
    ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
    context.insert(todo(QStringLiteral("typed while locked")));
    QString error;
    EXPECT_FALSE(context.save(&error));
    EXPECT_TRUE(error.contains(QLatin1String("locked"))) << error.toStdString();
    EXPECT_TRUE(context.hasChanges());
    ASSERT_TRUE(db.exec("COMMIT"));

    EXPECT_TRUE(context.save());
    EXPECT_EQ(count(db, "SyncedTodo"), 1);
    EXPECT_FALSE(context.hasChanges());
}
