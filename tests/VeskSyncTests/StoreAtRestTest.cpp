// The store file over time: how large its log grows, who may read it, what is kept of a
// damaged one, and what the repository shows while the store cannot be read.
#include "StoreFixture.h"

#include "VeskSync/DeskRepository.h"
#include "support/ManualScheduler.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

using namespace vesk;
using namespace vesk::test;

namespace {

class StoreAtRestTest : public StoreFixture {
protected:
    static int mode(const QString& path) {
        struct stat info {};
        return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
    }
    static qint64 size(const QString& path) { return QFileInfo(path).size(); }
    QStringList asideMains() const {
        QStringList names =
            QDir(m_folder.path())
                .entryList({QStringLiteral("Vesk.store.corrupt-*")}, QDir::Files | QDir::System);
        names.removeIf([](const QString& name) { return name.endsWith("-wal") || name.endsWith("-shm"); });
        return names;
    }
    void addTodos(const std::shared_ptr<ModelContainer>& container, int count) {
        ModelContext context(container);
        for (int n = 0; n < count; ++n)
            context.insert(todo(QStringLiteral("to-do %1 ").arg(n) + QString(100, 'x')));
        ASSERT_TRUE(context.save());
    }
};

} // namespace

// Typing into a 20 KB note saves on every keystroke; the log stays within its bound
// while the commits go on, and every file of the store is its owner's alone.
TEST_F(StoreAtRestTest, TheLogStaysBoundedWhileCommitsGoOnAndTheFilesAreTheOwnersOnly) {
    const mode_t before = ::umask(0022);
    auto container = openStore();
    ManualClock clock;
    DeskRepository repository(newContext(container), QStringLiteral("Mac A"), &clock);
    QString note(20 * 1024, QLatin1Char('n'));
    qint64 largest = 0;
    for (int key = 0; key < 600; ++key) {
        note[key] = QLatin1Char('k');
        repository.saveNote(note);
        largest = std::max(largest, size(storePath() + QStringLiteral("-wal")));
    }
    EXPECT_EQ(repository.noteText(), note);
    // At most the forced fold's frames, a commit beyond them and the page headers.
    EXPECT_LT(largest, 10 * 1024 * 1024) << "the log grew to " << largest << " bytes";
    for (const char* suffix : {"", "-wal", "-shm"})
        EXPECT_EQ(mode(storePath() + QLatin1String(suffix)), 0600) << suffix;

    // A store another version left readable by others is closed to them when opened.
    container.reset();
    repository.stop();
    ::chmod(QFile::encodeName(storePath()).constData(), 0644);
    container = openStore();
    EXPECT_EQ(mode(storePath()), 0600);
    ::umask(before);
}

// A read that finds the file damaged puts it aside in place: the new store holds every
// row and the context goes on with them. A link or a folder in the store's place goes
// aside too, and what the link leads to is neither read nor touched.
TEST_F(StoreAtRestTest, AStoreThatCannotBeUsedIsKeptAsideWithItsReadableRowsCarriedOver) {
    auto container = openStore();
    addTodos(container, 30);
    ModelContext context(container);
    context.setNote(revision(QStringLiteral("kept note")), std::make_shared<SyncedNote>());
    ASSERT_TRUE(context.save());
    context.insert(todo(QStringLiteral("unsaved")));
    ASSERT_TRUE(container->recover(QStringLiteral("a read failed")));
    ASSERT_TRUE(container->recovery());
    EXPECT_EQ(container->recovery()->reason, QStringLiteral("a read failed"));
    EXPECT_EQ(container->recovery()->rowsCarried, 32);
    ASSERT_TRUE(context.save());
    EXPECT_EQ(context.fetch<SyncedTodo>()->size(), 31);
    EXPECT_EQ(context.revisions(context.fetch<SyncedNote>()->first())->first()->text,
              QStringLiteral("kept note"));
    EXPECT_EQ(peer(container->recovery()->asidePath).integer("SELECT count(*) FROM SyncedTodo"), 30);
    container.reset();

    const QString elsewhere = m_folder.filePath(QStringLiteral("elsewhere.store"));
    ASSERT_TRUE(QFile::rename(storePath(), elsewhere));
    ASSERT_TRUE(QFile::link(elsewhere, storePath()));
    const QByteArray target = bytes(elsewhere);
    container = openStore();
    ASSERT_TRUE(container && container->recovery());
    EXPECT_EQ(container->recovery()->reason, QStringLiteral("a link was in the store's place"));
    EXPECT_EQ(container->recovery()->rowsCarried, 0);
    EXPECT_TRUE(QFileInfo(container->recovery()->asidePath).isSymLink());
    EXPECT_EQ(bytes(elsewhere), target);
    container.reset();

    QFile::remove(storePath());
    ASSERT_TRUE(QDir().mkdir(storePath()));
    container = openStore();
    ASSERT_TRUE(container && container->recovery());
    EXPECT_EQ(container->recovery()->reason, QStringLiteral("a folder was in the store's place"));
    EXPECT_TRUE(QFileInfo(container->recovery()->asidePath).isDir());
}

// A read that fails for another reason (here a table another program renamed) keeps
// the lists as they were and says why, until a read works again.
TEST_F(StoreAtRestTest, AFailedReadKeepsTheListsShownAndSaysWhy) {
    auto container = openStore();
    ManualClock clock;
    DeskRepository repository(newContext(container), QStringLiteral("Mac A"), &clock);
    repository.addTimer(60, QStringLiteral("tea"));
    repository.addTimer(300, QStringLiteral("eggs"));
    ASSERT_EQ(repository.timers().size(), 2);
    EXPECT_TRUE(repository.isAvailable());
    sqlite::Connection other = peer();
    ASSERT_TRUE(other.exec("ALTER TABLE SyncedTimer RENAME TO Elsewhere"));
    repository.refresh();
    EXPECT_EQ(repository.timers().size(), 2);
    EXPECT_TRUE(repository.unavailableReason().contains(QLatin1String("SyncedTimer")))
        << repository.unavailableReason().toStdString();
    ASSERT_TRUE(other.exec("ALTER TABLE Elsewhere RENAME TO SyncedTimer"));
    repository.refresh();
    EXPECT_TRUE(repository.isAvailable());
    EXPECT_EQ(repository.timers().size(), 2);
    EXPECT_TRUE(asideMains().isEmpty());
}

// Two copies starting together on a first run both find no shortcuts; only the first to
// commit seeds them.
TEST_F(StoreAtRestTest, SeedingCommitsOnlyWhileTheStoreHoldsNoShortcuts) {
    auto first = openStore();
    auto second = openStore();
    DeskRepository a(newContext(first), QStringLiteral("Mac A"));
    DeskRepository b(newContext(second), QStringLiteral("Mac A"));
    const QList<std::pair<QString, QString>> seeds{{"Focus", "moon"}, {"Dim", "sun.min"}};
    EXPECT_TRUE(a.addShortcutsIfNone(seeds));
    EXPECT_FALSE(b.addShortcutsIfNone(seeds));
    EXPECT_EQ(b.shortcuts().size(), 2);
    b.reloadFromStore();
    EXPECT_EQ(b.shortcuts().size(), 2) << "the refused seeds were left to be saved later";
    EXPECT_EQ(peer().integer("SELECT count(*) FROM SyncedShortcut"), 2);
}
