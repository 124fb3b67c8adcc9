#include "StoreFixture.h"

#include "VeskSync/DeskRepository.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"

#include <QSignalSpy>

using namespace vesk;
using namespace vesk::test;

namespace {

class DeskRepositoryTest : public StoreFixture {
protected:
    void SetUp() override { m_container = openStore(); }
    std::unique_ptr<DeskRepository> repository(const QString& device = QStringLiteral("Mac A")) {
        return std::make_unique<DeskRepository>(newContext(m_container), device, &m_clock);
    }
    QStringList todoTitles(const DeskRepository& repository) {
        QStringList titles;
        for (const TodoSnapshot& todo : repository.todos())
            titles << todo.title;
        return titles;
    }
    // Stores a revision of the scratch note as `device` would, `seconds` after the start.
    void writeRevision(const QString& device, const QString& text, double seconds) {
        ManualClock clock(m_clock.now() + seconds);
        DeskRepository(newContext(m_container), device, &clock).saveNote(text);
    }

    ManualClock m_clock;
    std::shared_ptr<ModelContainer> m_container;
};

} // namespace

TEST_F(DeskRepositoryTest, OrdersTodosOpenFavouriteNewestWithTiesInStoreOrder) {
    {
        ModelContext seed(m_container);
        const struct {
            const char* title;
            bool done, favourite;
            double created;
        } rows[] = {{"old", false, false, 1},   {"tie 1", false, false, 5}, {"done fav", true, true, 9},
                    {"tie 2", false, false, 5}, {"fav", false, true, 0},    {"new", false, false, 7},
                    {"done", true, false, 8}};
        for (const auto& row : rows) {
            auto made = todo(QString::fromLatin1(row.title), QUuid::createUuid(), Date{row.created});
            made->isDone = row.done;
            made->isFavorite = row.favourite;
            seed.insert(made);
        }
        ASSERT_TRUE(seed.save());
    }
    auto repo = repository();
    EXPECT_EQ(todoTitles(*repo), (QStringList{"fav", "new", "tie 1", "tie 2", "old", "done fav", "done"}));

    QSignalSpy todos(repo.get(), &DeskRepository::todosChanged),
        timers(repo.get(), &DeskRepository::timersChanged),
        shortcuts(repo.get(), &DeskRepository::shortcutsChanged),
        text(repo.get(), &DeskRepository::noteTextChanged),
        conflict(repo.get(), &DeskRepository::noteHadConflictChanged);
    repo->refresh();
    repo->reloadFromStore();
    EXPECT_EQ(todos.count() + timers.count() + shortcuts.count() + text.count() + conflict.count(), 0);
}

TEST_F(DeskRepositoryTest, EditsChangeOnlyWhatTheyFind) {
    auto repo = repository();
    repo->addTodo(QStringLiteral(" \n\t "));
    EXPECT_TRUE(repo->todos().isEmpty());
    repo->addTodo(QStringLiteral("  buy milk \n"));
    ASSERT_EQ(repo->todos().size(), 1);
    const TodoSnapshot milk = repo->todos().first();
    EXPECT_EQ(milk.title, QStringLiteral("buy milk"));
    EXPECT_EQ(milk.createdAt, m_clock.now());

    repo->toggleTodo(milk.id);
    repo->toggleTodo(milk.id);
    auto stored = repo->context().fetch<SyncedTodo>()->first();
    EXPECT_FALSE(stored->isDone);
    EXPECT_FALSE(stored->completedAt.has_value());
    EXPECT_EQ(stored->deviceID, QStringLiteral("Mac A"));

    // Archiving: a day means more than 86400 s; zero days, anything before now.
    const Date now = m_clock.now() + 100000;
    for (const double age : {86400.0, 86401.0, 0.5}) {
        m_clock.set(now - age);
        repo->addTodo(QString::number(age));
        // A copy: each toggle replaces the repository's list.
        const QList<TodoSnapshot> todos = repo->todos();
        for (const TodoSnapshot& todo : todos)
            if (todo.title == QString::number(age)) repo->toggleTodo(todo.id);
    }
    EXPECT_EQ(repo->archiveExpired(1, now), 1);
    EXPECT_EQ(todoTitles(*repo), (QStringList{"buy milk", "0.5", "86400"}));
    EXPECT_EQ(repo->archiveExpired(0, now), 2);
    // One the other copy reopens while the archive waits for the lock stays.
    repo->toggleTodo(milk.id);
    auto db = peer();
    commitWhileWaiting(*m_container, db, "UPDATE SyncedTodo SET isDone = 0",
                       [&] { EXPECT_EQ(repo->archiveExpired(0, now), 0); });
    EXPECT_EQ(todoTitles(*repo), QStringList{"buy milk"});

    // Positions are the count at the time: a removal leaves a gap that the next fills twice.
    for (const char* name : {"a", "b", "c"})
        repo->addShortcut(QString::fromLatin1(name), QStringLiteral("bolt"));
    repo->removeShortcut(repo->shortcuts().at(1).id);
    repo->addShortcut(QStringLiteral("d"), QStringLiteral("bolt"));
    QStringList names;
    for (const auto& shortcut : repo->shortcuts())
        names << shortcut.displayName();
    EXPECT_EQ(names, (QStringList{"a", "c", "d"}));

    // Unknown ids change nothing and signal nothing.
    QSignalSpy todos(repo.get(), &DeskRepository::todosChanged);
    for (auto edit : {&DeskRepository::toggleTodo, &DeskRepository::favoriteTodo, &DeskRepository::deleteTodo,
                      &DeskRepository::removeTimer, &DeskRepository::removeShortcut})
        (repo.get()->*edit)(QUuid::createUuid());
    EXPECT_EQ(todos.count(), 0);
    EXPECT_FALSE(repo->context().hasChanges());
}

TEST_F(DeskRepositoryTest, FollowsAnotherWritersCommitsUntilStopped) {
    auto repo = repository();
    auto db = peer();
    ASSERT_TRUE(
        db.exec("INSERT INTO SyncedTodo (record_name, title) VALUES ('p1', 'from the other display')"));
    EXPECT_TRUE(processEventsUntil([&] { return repo->todos().size() == 1; }, 30000))
        << "the other writer's to-do never showed";

    repo->stop();
    QSignalSpy todos(repo.get(), &DeskRepository::todosChanged);
    QSignalSpy announced(m_container.get(), &ModelContainer::remoteChange);
    ASSERT_TRUE(db.exec("INSERT INTO SyncedTodo (record_name, title) VALUES ('p2', 'after stop')"));
    EXPECT_TRUE(processEventsUntil([&] { return announced.count() > 0; }, 30000)) << "no remote change came";
    EXPECT_EQ(todos.count(), 0);
    EXPECT_EQ(repo->todos().size(), 1);
}

TEST_F(DeskRepositoryTest, AnEditWhoseSaveFailedIsSavedAtTheNextReload) {
    auto repo = repository();
    auto db = peer();
    ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
    repo->addTodo(QStringLiteral("typed while locked"));
    repo->saveNote(QStringLiteral("note while locked"));
    EXPECT_EQ(repo->todos().size(), 1) << "the unsaved to-do shows";
    ASSERT_TRUE(db.exec("COMMIT"));

    repo->reloadFromStore();
    EXPECT_EQ(count(db, "SyncedTodo"), 1);
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 1);
    EXPECT_EQ(repo->noteText(), QStringLiteral("note while locked"));

    // Still locked at the reload: kept, shown and said until a save takes it.
    ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
    repo->addTodo(QStringLiteral("kept"));
    repo->reloadFromStore();
    ASSERT_TRUE(db.exec("COMMIT"));
    EXPECT_EQ(repo->todos().size(), 2);
    EXPECT_EQ(repo->unsavedReason(), QStringLiteral("Database is locked."));
    EXPECT_TRUE(repo->saveUnsaved());
    EXPECT_EQ(count(db, "SyncedTodo"), 2);
    EXPECT_EQ(repo->unsavedReason(), QString());

    // A retried toggle writes only what it changed: the other copy's favourite stays.
    ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
    repo->toggleTodo(repo->todos().first().id);
    ASSERT_TRUE(db.exec("UPDATE SyncedTodo SET isFavorite = 1; COMMIT"));
    EXPECT_TRUE(repo->saveUnsaved());
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedTodo WHERE isDone = 1 AND isFavorite = 1"), 1);
}

TEST_F(DeskRepositoryTest, AnAddOnAFullStoreIsKeptSaidAndStoredOnceThereIsRoom) {
    auto repo = repository();
    QSignalSpy told(repo.get(), &DeskRepository::availabilityChanged);
    sqlite::Connection& connection = m_container->connection();
    // The store may take no new page, as on a full disk: a title longer than a page
    // needs some.
    const QByteArray pages = QByteArray::number(connection.integer("PRAGMA page_count").value_or(0));
    ASSERT_TRUE(connection.exec(QByteArray("PRAGMA max_page_count = " + pages).constData()));
    repo->addTodo(QString(8000, u'x'));
    repo->addTodo(QStringLiteral("second"));
    repo->reloadFromStore();
    EXPECT_EQ(repo->todos().size(), 2) << "the unsaved to-dos still show";
    EXPECT_EQ(repo->unsavedReason(), QStringLiteral("Database or disk is full."));
    EXPECT_EQ(told.count(), 1);
    auto db = peer();
    EXPECT_EQ(count(db, "SyncedTodo"), 0);

    ASSERT_TRUE(connection.exec("PRAGMA max_page_count = 1000000"));
    EXPECT_TRUE(repo->saveUnsaved());
    EXPECT_EQ(count(db, "SyncedTodo"), 2);
    EXPECT_EQ(repo->unsavedReason(), QString());
    EXPECT_EQ(told.count(), 2);
}

TEST_F(DeskRepositoryTest, ARetriedEditLeavesTheRowThatTookAGoneRowsPk) {
    auto repo = repository();
    repo->addTodo(QStringLiteral("mine"));
    repo->addTimer(60, QStringLiteral("mine"));
    repo->addShortcut(QStringLiteral("mine"), QStringLiteral("bolt"));
    auto db = peer();
    ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
    repo->toggleTodo(repo->todos().first().id);
    repo->removeTimer(repo->timers().first().id);
    repo->removeShortcut(repo->shortcuts().first().id);
    ASSERT_EQ(repo->unsavedReason(), QStringLiteral("Database is locked."));
    // The other copy deletes them; its new rows take the freed pks.
    ASSERT_TRUE(
        db.exec("DELETE FROM SyncedTodo; DELETE FROM SyncedTimer; DELETE FROM SyncedShortcut;"
                "INSERT INTO SyncedTodo (record_name, title) VALUES ('t', 'theirs');"
                "INSERT INTO SyncedTimer (record_name, label) VALUES ('t', 'theirs');"
                "INSERT INTO SyncedShortcut (record_name, shortcutName) VALUES ('t', 'theirs'); COMMIT"));
    repo->context().fetch<SyncedTimer>(); // timers read before the retry, the others not

    EXPECT_TRUE(repo->saveUnsaved());
    EXPECT_EQ(repo->unsavedReason(), QString());
    for (const char* table : {"SyncedTodo", "SyncedTimer", "SyncedShortcut"})
        EXPECT_EQ(count(db, table), 1) << table;
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedTodo WHERE title = 'theirs' AND isDone = 0"), 1);
    repo->refresh();
    EXPECT_EQ(todoTitles(*repo), QStringList{"theirs"});
    ASSERT_EQ(repo->timers().size(), 1);
    EXPECT_EQ(repo->timers().first().label, QStringLiteral("theirs"));
    ASSERT_EQ(repo->shortcuts().size(), 1);
    EXPECT_EQ(repo->shortcuts().first().shortcutName, QStringLiteral("theirs"));
}

// The other copy of the program on the same computer: its own connection, the same name.
TEST_F(DeskRepositoryTest, ANoteTypedWhileSavesFailIsMergedWithWhatTheOtherCopyStoredMeanwhile) {
    auto repo = repository();
    ManualClock later(m_clock.now() + 5);
    DeskRepository other(newContext(openStore()), QStringLiteral("Mac A"), &later);
    auto db = peer();
    const auto typeWhileLocked = [&](const QString& mine, const QString& theirs) {
        ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
        repo->saveNote(mine);
        EXPECT_EQ(repo->unsavedReason(DeskRepository::Kind::note), QStringLiteral("Database is locked."));
        ASSERT_TRUE(db.exec("COMMIT"));
        other.refresh();
        other.saveNote(theirs);
        EXPECT_EQ(repo->unsavedReason(DeskRepository::Kind::note), QStringLiteral("Database is locked."));
        EXPECT_TRUE(repo->saveUnsaved());
        EXPECT_EQ(repo->unsavedReason(DeskRepository::Kind::note), QString());
        other.refresh();
        EXPECT_EQ(other.noteText(), repo->noteText());
    };
    // Neither had a revision: the retry writes into the one the other copy made.
    typeWhileLocked(QStringLiteral("alpha from A"), QStringLiteral("beta from B"));
    const QString merged =
        QStringLiteral("alpha from A") + NoteMerge::separator + QStringLiteral("beta from B");
    EXPECT_EQ(repo->noteText(), merged);
    EXPECT_TRUE(repo->noteHadConflict());
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 1);

    // The shared revision changed while this copy's edit waited: merged, not overwritten.
    typeWhileLocked(merged + QStringLiteral("\nmore from A"), merged + QStringLiteral("\nmore from B"));
    EXPECT_EQ(repo->noteText(), merged + QStringLiteral("\nmore from A") + NoteMerge::separator +
                                    QStringLiteral("more from B"));
    EXPECT_EQ(count(db, "SyncedNoteRevision"), 1);

    // The other copy stores a newer text while this copy's save waits for the lock.
    const QString shown = repo->noteText();
    commitWhileWaiting(*m_container, db,
                       "UPDATE SyncedNoteRevision SET text = text || char(10) || 'newest from B'",
                       [&] { repo->saveNote(shown + QStringLiteral("\nlast from A")); });
    const QString both =
        shown + QStringLiteral("\nlast from A") + NoteMerge::separator + QStringLiteral("newest from B");
    EXPECT_EQ(repo->noteText(), both);
    sqlite::Statement stored(db, "SELECT text FROM SyncedNoteRevision");
    ASSERT_TRUE(stored.step());
    EXPECT_EQ(stored.text(0), both);
}

TEST_F(DeskRepositoryTest, NoteMergesOwnRevisionWithTheNewestOther) {
    auto repo = repository();
    EXPECT_EQ(repo->noteText(), QString());
    writeRevision(QStringLiteral("Mac A"), QStringLiteral("a\nmine"), 1);
    repo->refresh();
    EXPECT_EQ(repo->noteText(), QStringLiteral("a\nmine"));
    EXPECT_FALSE(repo->noteHadConflict());

    writeRevision(QStringLiteral("Mac B"), QStringLiteral("a\ntheirs"), 2);
    writeRevision(QStringLiteral("Mac C"), QStringLiteral("a\nolder"), -5);
    repo->refresh();
    EXPECT_EQ(repo->noteText(), QStringLiteral("a\nmine") + NoteMerge::separator + QStringLiteral("theirs"));
    EXPECT_TRUE(repo->noteHadConflict());

    // Seen from B, the same text.
    auto b = repository(QStringLiteral("Mac B"));
    EXPECT_EQ(b->noteText(), repo->noteText());

    // A second revision under this name (a second computer with the same name): the
    // newest is this computer's; saving updates only the first.
    {
        ModelContext context(m_container);
        const auto note = context.fetch<SyncedNote>(DeskRepository::scratchNoteID)->first();
        context.setNote(revision(QStringLiteral("a\ntheirs too"), m_clock.now() + 9, QStringLiteral("Mac A")),
                        note);
        ASSERT_TRUE(context.save());
    }
    repo->refresh();
    EXPECT_EQ(repo->noteText(), QStringLiteral("a\ntheirs too"));
    EXPECT_FALSE(repo->noteHadConflict());
    repo->saveNote(QStringLiteral("edited"));
    auto db = peer();
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE text = 'edited'"), 1);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE deviceID = 'Mac A'"), 2);
}
