#include "StoreFixture.h"

#include "support/ChildMain.h"
#include "support/EventLoop.h"

#include <QDir>
#include <QProcess>

using namespace vesk;
using namespace vesk::test;

namespace {

// Each column as "name TYPE [NOT NULL] [= default] [PK]"; random uuid defaults read "= random".
QStringList columns(sqlite::Connection& db, const char* table) {
    QStringList result;
    sqlite::Statement info(db, QByteArray(QByteArray("PRAGMA table_info(") + table + ")").constData());
    while (info.step()) {
        QString column = info.text(1) + QLatin1Char(' ') + info.text(2);
        if (info.integer(3)) column += QStringLiteral(" NOT NULL");
        if (const auto value = info.optionalText(4))
            column +=
                QStringLiteral(" = ") + (value->contains(QLatin1String("randomblob")) ? "random" : *value);
        if (info.integer(5)) column += QStringLiteral(" PK");
        result << column;
    }
    return result;
}

const QStringList rowIdentity{"pk INTEGER PK", "record_name TEXT NOT NULL", "uuid TEXT NOT NULL = random"};

} // namespace

using ModelContainerTest = StoreFixture;

TEST_F(ModelContainerTest, NewStoreHasTheSchemaWithoutUniqueIndexes) {
    auto container = openStore();
    auto db = peer();
    const struct {
        const char* table;
        QStringList attributes;
    } tables[] = {
        {"SyncedTodo",
         {"title TEXT NOT NULL = ''", "isDone INTEGER NOT NULL = 0", "isFavorite INTEGER NOT NULL = 0",
          "createdAt REAL NOT NULL = -63114076800.0", "completedAt REAL", "sortIndex INTEGER NOT NULL = 0",
          "deviceID TEXT NOT NULL = ''"}},
        {"SyncedNote", {"title TEXT NOT NULL = ''", "updatedAt REAL NOT NULL = -63114076800.0"}},
        {"SyncedNoteRevision",
         {"text TEXT NOT NULL = ''", "editedAt REAL NOT NULL = -63114076800.0", "deviceID TEXT NOT NULL = ''",
          "note INTEGER"}},
        {"SyncedTimer",
         {"label TEXT NOT NULL = ''", "total REAL NOT NULL = 0.0", "sortIndex INTEGER NOT NULL = 0"}},
        {"SyncedShortcut",
         {"shortcutName TEXT NOT NULL = ''", "customName TEXT", "symbol TEXT NOT NULL = 'sparkles'",
          "textInput TEXT", "sortIndex INTEGER NOT NULL = 0"}},
    };
    for (const auto& table : tables) {
        EXPECT_EQ(columns(db, table.table), rowIdentity + table.attributes) << table.table;
        sqlite::Statement indexes(db, QByteArray(QByteArray("SELECT count(*) FROM pragma_index_list('") +
                                                 table.table + "') WHERE \"unique\"")
                                          .constData());
        ASSERT_TRUE(indexes.step());
        EXPECT_EQ(indexes.integer(0), 0) << table.table;
    }
    EXPECT_EQ(db.integer("PRAGMA application_id"), 0x5665736B);
    EXPECT_EQ(db.integer("PRAGMA user_version"), 1);
    EXPECT_EQ(db.integer("SELECT count(*) FROM pragma_foreign_key_list('SyncedNoteRevision') "
                         "WHERE \"table\" = 'SyncedNote' AND on_delete = 'CASCADE'"),
              1);

    // A row written without a uuid gets a fresh upper-case one.
    ASSERT_TRUE(db.exec("INSERT INTO SyncedTimer (record_name) VALUES ('x'), ('y')"));
    sqlite::Statement uuids(db, "SELECT uuid FROM SyncedTimer");
    QSet<QString> seen;
    while (uuids.step()) {
        const QString uuid = uuids.text(0);
        EXPECT_FALSE(QUuid(uuid).isNull()) << uuid.toStdString();
        EXPECT_EQ(uuid, uuid.toUpper());
        seen << uuid;
    }
    EXPECT_EQ(seen.size(), 2);
}

TEST_F(ModelContainerTest, RefusesForeignAndNewerStoresAndLeavesThemAsTheyAre) {
    for (const char* pragma : {"PRAGMA application_id = 1234", "PRAGMA user_version = 2",
                               "CREATE TABLE other (x); PRAGMA user_version = 0"}) {
        const QString path = m_folder.path() + QStringLiteral("/other.store");
        QFile::remove(path);
        {
            sqlite::Connection db;
            ASSERT_TRUE(db.open(path, true));
            ASSERT_TRUE(db.exec("CREATE TABLE IF NOT EXISTS kept (x)"));
            if (QByteArray(pragma).contains("user_version = 2")) {
                ASSERT_TRUE(db.exec("PRAGMA application_id = 1449489259"));
            }
            ASSERT_TRUE(db.exec(pragma));
        }
        const QByteArray before = bytes(path);
        QString error;
        EXPECT_FALSE(ModelContainer::open(path, &error)) << pragma;
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(bytes(path), before) << pragma;
        EXPECT_EQ(QDir(m_folder.path()).entryList({"other.store*"}, QDir::Files), QStringList{"other.store"});
    }
}

TEST_F(ModelContainerTest, KeepsDamagedFilesAndOrphanedLogsAsideAndStartsAfresh) {
    write(storePath(), "this is not a database, but somebody's text");
    std::shared_ptr<ModelContainer> container;
    {
        container = openStore();
        ModelContext context(container);
        context.insert(todo(QStringLiteral("new")));
        ASSERT_TRUE(context.save());
    }
    QStringList aside = QDir(m_folder.path()).entryList({"Vesk.store.corrupt-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(bytes(m_folder.filePath(aside.first())), "this is not a database, but somebody's text");

    // A header cut short, and our header over pages SQLite finds malformed, are damage too.
    container.reset();
    const QByteArray whole = bytes(storePath());
    ASSERT_GT(whole.size(), 4096);
    for (const QByteArray& damaged :
         QList<QByteArray>{whole.left(60), whole.left(100) + QByteArray(8092, 0x5a)}) {
        QFile::remove(storePath());
        write(storePath(), damaged);
        openStore().reset();
        aside = QDir(m_folder.path()).entryList({"Vesk.store.corrupt-*"}, QDir::Files);
        EXPECT_TRUE(std::any_of(aside.begin(), aside.end(), [&](const QString& name) {
            return bytes(m_folder.filePath(name)) == damaged;
        }));
    }
    // The kept file's own log and shared memory are kept beside it under its new name.
    aside.removeIf([](const QString& name) { return name.endsWith("-wal") || name.endsWith("-shm"); });
    EXPECT_EQ(aside.size(), 3);

    // A log whose store is gone would be replayed into the new file.
    const auto logsAside = [&] {
        return QDir(m_folder.path()).entryList({"Vesk.store-wal.corrupt-*"}, QDir::Files).size();
    };
    const qsizetype logsBefore = logsAside();
    QFile::remove(storePath());
    write(storePath() + QStringLiteral("-wal"), QByteArray(4096, 'w'));
    container = openStore();
    ModelContext context(container);
    EXPECT_EQ(context.fetch<SyncedTodo>()->size(), 0);
    EXPECT_EQ(logsAside(), logsBefore + 1);
}

// Another copy of the program holding the store for longer than we wait is not damage:
// the open fails with the reason, every file stays, and a later open finds the data.
TEST_F(ModelContainerTest, AStoreLockedByAnotherCopyFailsTheOpenAndStaysAsItIs) {
    {
        auto container = openStore();
        ModelContext context(container);
        context.insert(todo(QStringLiteral("kept")));
        ASSERT_TRUE(context.save());
    }
    {
        sqlite::Connection holder = peer();
        ASSERT_TRUE(holder.exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE"));
        const QStringList before = QDir(m_folder.path()).entryList(QDir::Files);
        QString error;
        EXPECT_FALSE(ModelContainer::open(storePath(), &error));
        EXPECT_TRUE(error.contains(QLatin1String("locked"))) << error.toStdString();
        EXPECT_EQ(QDir(m_folder.path()).entryList(QDir::Files), before);
        holder.exec("COMMIT");
    }
    auto container = openStore();
    ModelContext context(container);
    const auto todos = context.fetch<SyncedTodo>();
    ASSERT_TRUE(todos);
    ASSERT_EQ(todos->size(), 1);
    EXPECT_EQ(todos->first()->title, QStringLiteral("kept"));
    EXPECT_TRUE(QDir(m_folder.path()).entryList({"*.corrupt-*"}, QDir::Files).isEmpty());
}

TEST_F(ModelContainerTest, CommitsOfAnotherConnectionAreRemoteChangesOursAreNot) {
    auto container = openStore();
    int changes = 0;
    QObject::connect(container.get(), &ModelContainer::remoteChange, [&changes] { ++changes; });
    ModelContext context(container);
    context.insert(todo(QStringLiteral("ours")));
    ASSERT_TRUE(context.save());

    auto db = peer();
    ASSERT_TRUE(db.exec("INSERT INTO SyncedTodo (record_name, title) VALUES ('peer', 'theirs')"));
    EXPECT_TRUE(processEventsUntil([&] { return changes > 0; }, 30000))
        << "the peer's commit was never noticed";
    EXPECT_EQ(changes, 1);
}

// Writes to-dos until killed, saying after each commit how many are stored.
VESK_TEST_CHILD(storeWriter) {
    auto container = ModelContainer::open(qEnvironmentVariable("VESK_CHILD_STORE"));
    if (!container) return 1;
    ModelContext context(container);
    // Killed, this process cannot remove its own temporary folder: the parent does.
    std::printf("root %s\n", qgetenv("VESK_TEST_ROOT").constData());
    for (int n = 1;; ++n) {
        context.insert(todo(QStringLiteral("row %1").arg(n)));
        if (!context.save()) return 1;
        std::printf("committed %d\n", n);
    }
}

TEST_F(ModelContainerTest, StoreOfAKilledWriterOpensWithEveryCommittedRow) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VESK_CHILD_STORE"), storePath());
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), childArguments("storeWriter"));
    int committed = 0;
    QByteArray pending, childRoot;
    const bool enough = processEventsUntil(
        [&] {
            pending += child.readAllStandardOutput();
            for (qsizetype end; (end = pending.indexOf('\n')) >= 0; pending.remove(0, end + 1))
                if (pending.startsWith("committed "))
                    committed = pending.mid(10, end - 10).toInt();
                else if (pending.startsWith("root "))
                    childRoot = pending.mid(5, end - 5);
            return committed >= 200;
        },
        60000);
    child.kill();
    child.waitForFinished(30000);
    if (childRoot.startsWith(QFile::encodeName(QDir::tempPath() + QStringLiteral("/vesk-test-"))))
        QDir(QFile::decodeName(childRoot)).removeRecursively();
    ASSERT_TRUE(enough) << "the writer never committed 200 rows";

    auto container = openStore();
    ModelContext context(container);
    EXPECT_GE(context.fetch<SyncedTodo>()->size(), committed);
}
