#include "Vesk/Shell/SyncStartup.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskServices/LegacyStores/NoteStore.h"
#include "VeskServices/LegacyStores/TodoStore.h"
#include "VeskServices/Shortcuts/ShortcutsService.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/JSONMigration.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/Sqlite.h"
#include "VeskSync/SyncCoordinator.h"
#include "support/Shell/FakeShellParts.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vesk {
namespace {

// The start-up over a local store (as on Linux) in a data folder of its own.
class SyncStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        UserDefaults::setStandard(defaults);
    }
    void TearDown() override {
        startup.reset();
        UserDefaults::setStandard(nullptr);
        qputenv("XDG_DATA_HOME", savedData);
    }
    void writeLegacy(const QString& name, const QByteArray& contents) {
        QDir(data.path()).mkpath(QStringLiteral("Vesk"));
        QFile file(data.filePath(QStringLiteral("Vesk/") + name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    void start(const QString& storePath = {}) {
        sync = std::make_unique<SyncCoordinator>(QStringLiteral("iCloud.app.tessarn.notch"), factory.cloud,
                                                 storePath);
        startup = std::make_unique<SyncStartup>(SyncStartup::Parts{
            .sync = *sync,
            .surface = surface,
            .syncEnabled = true,
            .deviceID = QStringLiteral("Mac A"),
            .availableShortcuts =
                [this](QObject*, std::function<void(QStringList)> done) {
                    ++listings;
                    done(available);
                },
            .seedTray = [this] { lines << QStringLiteral("(tray)"); },
            .log = [this](const QString& line) { lines << line; },
            .repositoryReady = [this] { readyWithRepository = surface.repository() != nullptr; },
        });
        startup->run();
    }

    QTemporaryDir data;
    const QByteArray savedData = qgetenv("XDG_DATA_HOME");
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    test::ManualScheduler scheduler;
    test::ScopedMainScheduler scoped{scheduler};
    test::CallLog calls;
    test::FakeShellFactory factory{calls, scheduler};
    SettingsStore settings{*defaults};
    test::FakeNotchSurface surface{calls, settings, 2};
    QStringList available;
    int listings = 0;
    std::optional<bool> readyWithRepository;
    QStringList lines;
    std::unique_ptr<SyncCoordinator> sync;
    std::unique_ptr<SyncStartup> startup;
};

TEST_F(SyncStartupTest, ImportsHandsOverSeedsAndCollapsesEightSecondsLater) {
    writeLegacy(QStringLiteral("todos.json"), R"([{"title": "a"}, {"title": "b"}])");
    writeLegacy(QStringLiteral("shortcuts.json"), R"([{"shortcutName": "Dim"}])");
    writeLegacy(QStringLiteral("note.txt"), "hello");
    start();
    EXPECT_EQ(lines, (QStringList{
                         "sync: There is no private cloud database here., localOnly=true, accountError=none",
                         "migrated todos=2 notes=1 shortcuts=1 total=4", "(tray)"}));
    DeskRepository* repository = startup->repository();
    ASSERT_TRUE(repository);
    EXPECT_EQ(surface.model(1).repository(), repository);
    EXPECT_EQ(readyWithRepository, true) << "told once the repository was handed over";
    EXPECT_EQ(repository->todos().size(), 2);
    EXPECT_EQ(listings, 0) << "imported shortcuts are the user's: nothing seeded";
    EXPECT_TRUE(defaults->boolValue(QStringLiteral("hasSeededShortcuts")));

    // A copy of a to-do, as another computer would bring it.
    {
        ModelContext elsewhere(sync->container());
        auto copy = std::make_shared<SyncedTodo>();
        copy->uuid = repository->todos().first().id;
        elsewhere.insert(copy);
        ASSERT_TRUE(elsewhere.save());
    }
    repository->refresh();
    lines.clear();
    scheduler.advance(SyncStartup::collapseDelay - 0.1);
    EXPECT_TRUE(lines.isEmpty());
    scheduler.advance(0.1);
    EXPECT_EQ(lines, QStringList{"deduped 1 duplicate row(s)"});
    EXPECT_EQ(repository->todos().size(), 2);

    // The next launch imports nothing and logs no "migrated" line.
    startup.reset();
    lines.clear();
    start();
    EXPECT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.first().startsWith(QStringLiteral("sync: ")));
}

// Another computer made the scratch note too, with more revisions: the collapse keeps its
// note and moves this computer's revision over, whose text must stay in the merge.
TEST_F(SyncStartupTest, ACollapsedScratchNoteKeepsThisComputersText) {
    start();
    DeskRepository* repository = startup->repository();
    ASSERT_TRUE(repository);
    repository->saveNote(QStringLiteral("shared\nfrom A"));
    {
        ModelContext elsewhere(sync->container());
        auto note = std::make_shared<SyncedNote>();
        note->uuid = DeskRepository::scratchNoteID;
        elsewhere.insert(note);
        const Date later = Date::now() + 60;
        for (const auto& [text, editedAt] :
             {std::pair{"shared\nolder B", later}, {"shared\nfrom B", later + 1}}) {
            auto revision = std::make_shared<SyncedNoteRevision>();
            revision->text = QString::fromUtf8(text);
            revision->editedAt = editedAt;
            revision->deviceID = QStringLiteral("Mac B");
            elsewhere.setNote(revision, note);
        }
        ASSERT_TRUE(elsewhere.save());
    }
    scheduler.advance(SyncStartup::collapseDelay);
    ASSERT_TRUE(lines.contains(QStringLiteral("deduped 1 duplicate row(s)")));

    const auto showsBoth = [&] {
        return repository->noteText().contains(QLatin1String("from A")) &&
               repository->noteText().contains(QLatin1String("from B")) && repository->noteHadConflict();
    };
    EXPECT_TRUE(showsBoth()) << "after the collapse";
    repository->refresh();
    EXPECT_TRUE(showsBoth()) << "after a refresh";
    repository->reloadFromStore();
    EXPECT_TRUE(showsBoth()) << "after a reload";
    repository->saveNote(repository->noteText() + QStringLiteral("\nmore"));
    repository->reloadFromStore();
    EXPECT_TRUE(showsBoth()) << "after one more edit";
    EXPECT_TRUE(repository->noteText().contains(QLatin1String("more")));

    sqlite::Connection db;
    ASSERT_TRUE(db.open(SyncCoordinator::storeURL(), false));
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNote"), 1);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE note IS NULL"), 0);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision"), 3);
}

TEST_F(SyncStartupTest, SeedsShortcutsOnlyOnTheFirstRunIntoAnEmptyList) {
    const struct {
        const char* name;
        bool seededBefore;
        QStringList available;
        int listings;
        qsizetype shortcuts;
        const char* line;
    } cases[] = {
        {"already decided", true, {"Alpha"}, 0, 0, nullptr},
        {"two of the user's", false, {"Beta", "Alpha"}, 1, 2, "seeded 2 shortcut(s) from 2 available"},
        {"none at all", false, {}, 1, 0, "seeded 0 shortcut(s) from 0 available"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startup.reset();
        QFile::remove(SyncCoordinator::storeURL());
        defaults->setBool(QStringLiteral("hasSeededShortcuts"), c.seededBefore);
        available = c.available;
        listings = 0;
        lines.clear();
        start();
        EXPECT_EQ(listings, c.listings);
        EXPECT_EQ(startup->repository()->shortcuts().size(), c.shortcuts);
        EXPECT_EQ(lines.contains(QString::fromLatin1(c.line ? c.line : "")), c.line != nullptr);
        EXPECT_TRUE(defaults->boolValue(QStringLiteral("hasSeededShortcuts")));
    }
}

// A store that cannot be opened at start still gets a repository, which says why and
// refuses to-dos it would lose; the first edit after the cause is gone opens the store,
// runs the steps that wait for it, and takes the to-do.
TEST_F(SyncStartupTest, WithoutAStoreTheRepositorySaysWhyAndTakesTheStoreOnceItOpens) {
    QFile blocker(data.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    writeLegacy(QStringLiteral("todos.json"), R"([{"title": "imported"}])");
    start(data.filePath(QStringLiteral("file/Vesk.store")));
    EXPECT_EQ(lines, (QStringList{
                         "sync: There is no private cloud database here., localOnly=true, accountError=none",
                         "(tray)"}));
    DeskRepository* repository = startup->repository();
    ASSERT_TRUE(repository);
    EXPECT_EQ(surface.repository(), repository);
    EXPECT_EQ(readyWithRepository, true);
    EXPECT_FALSE(repository->isAvailable());
    ASSERT_TRUE(sync->storeNotice());
    EXPECT_TRUE(sync->storeNotice()->contains(QLatin1String("can't be opened right now")));
    EXPECT_FALSE(repository->addTodo(QStringLiteral("typed")));
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_EQ(listings, 0);

    blocker.remove();
    EXPECT_TRUE(repository->addTodo(QStringLiteral("typed")));
    EXPECT_TRUE(repository->isAvailable());
    EXPECT_FALSE(sync->storeNotice());
    QStringList titles;
    for (const TodoSnapshot& todo : repository->todos())
        titles << todo.title;
    titles.sort();
    EXPECT_EQ(titles, (QStringList{"imported", "typed"}));
    EXPECT_EQ(listings, 1);
    EXPECT_EQ(scheduler.pendingCount(), 1) << "the duplicate collapse waits its 8 s";
}

TEST_F(SyncStartupTest, ImportsEveryFieldOfTheFilesTheOlderStoresWrote) {
    ShortcutsService service(QStringLiteral("Vesk"));
    const ShortcutEntry entry{QUuid::createUuid(), QStringLiteral("Dim Screen"), QStringLiteral("Low light"),
                              QStringLiteral("moon"), QStringLiteral("50")};
    service.add(entry);
    scheduler.clock().set(Date{789012345.678901}); // fractions of a second survive both ways
    TodoStore todos(QStringLiteral("Vesk"), QStringLiteral("todos.json"), &scheduler.clock());
    todos.add(QStringLiteral("open"));
    scheduler.clock().advance(0.25);
    todos.add(QStringLiteral("done favourite"));
    todos.toggleDone(todos.items().first(), scheduler.now() + 5);
    todos.toggleFavorite(todos.items().first());
    NoteStore(QStringLiteral("Vesk"), QStringLiteral("note.txt")).save(QStringLiteral("line one\nline two"));

    const auto container = ModelContainer::open(data.filePath(QStringLiteral("import.store")));
    ModelContext context(container);
    const JSONMigration migration{QStringLiteral("Vesk"), QStringLiteral("Mac A")};
    EXPECT_EQ(*migration.run(context, false),
              (JSONMigration::Summary{.todos = 2, .timers = 0, .shortcuts = 1, .notes = 1}));
    ModelContext reader(container);
    const auto stored = reader.fetch<SyncedShortcut>()->first();
    const ShortcutEntry imported{stored->uuid, stored->shortcutName, stored->customName, stored->symbol,
                                 stored->textInput};
    EXPECT_EQ(imported, entry);
    const auto rows = *reader.fetch<SyncedTodo>();
    ASSERT_EQ(rows.size(), 2);
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const TodoItem& item = todos.items().at(i);
        const SyncedTodo& row = *rows.at(i);
        EXPECT_EQ((TodoItem{row.uuid, row.title, row.isDone, row.isFavorite, row.createdAt, row.completedAt}),
                  item);
        EXPECT_EQ(row.sortIndex, i);
    }
    EXPECT_EQ(DeskRepository(std::make_shared<ModelContext>(container), QStringLiteral("Mac A")).noteText(),
              QStringLiteral("line one\nline two"));
}

} // namespace
} // namespace vesk
