// Two copies of the program, one per display as a user logged in twice runs them, share
// one data folder and so one store. Each is stopped and started again while the other
// runs, and to-dos are added by another writer in between: the store must come through
// whole, never taken for a damaged one.
#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/X11/PrivateXServer.h"

#include "VeskSync/Sqlite.h"
#include "VeskSync/SyncCoordinator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUuid>

#include <csignal>

namespace vesk {
namespace {

constexpr int rounds = 5;
constexpr const char* scratchNote = "00000000-0000-0000-0000-00006E6F7465";

// One copy: its display, its session bus, its process.
struct Copy {
    QString name;
    test::PrivateXServer server;
    std::unique_ptr<test::PrivateBuses> buses;
    QProcess process;
    QString output;
};

class SharedStoreX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        // Onboarding done, as for a user who has been through it.
        const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
        QDir().mkpath(folder);
        QFile defaults(folder + QStringLiteral("/defaults.json"));
        ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
        defaults.write("{\"hasCompletedOnboarding\": true}\n");
    }
    void TearDown() override {
        for (Copy* copy : {&a, &b})
            if (copy->process.state() != QProcess::NotRunning) {
                copy->process.kill();
                copy->process.waitForFinished(test::patienceMs);
            }
    }

    void prepare(Copy& copy, const QString& name) {
        copy.name = name;
        ASSERT_TRUE(copy.server.start()) << qPrintable(copy.server.error());
        copy.buses = std::make_unique<test::PrivateBuses>();
        ASSERT_TRUE(copy.buses->ok()) << qPrintable(copy.buses->error());
    }
    void start(Copy& copy) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DISPLAY"), copy.server.display());
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), copy.buses->sessionAddress());
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), copy.buses->systemAddress());
        environment.insert(QStringLiteral("VESK_TRACE"), QStringLiteral("1"));
        environment.insert(QStringLiteral("VESK_NO_BT"), QString());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        copy.output.clear();
        copy.process.setProcessEnvironment(environment);
        copy.process.setStandardErrorFile(QProcess::nullDevice());
        copy.process.start(QStringLiteral(VESK_BINARY_DIR "/bin/vesk-notch"), {});
        ASSERT_TRUE(copy.process.waitForStarted(test::patienceMs)) << qPrintable(copy.process.errorString());
    }
    // Running with its geometry report printed.
    bool launched(Copy& copy) {
        return test::processEventsUntil([&] {
                   copy.output += QString::fromUtf8(copy.process.readAllStandardOutput());
                   return copy.output.contains(QStringLiteral("display ")) ||
                          copy.process.state() == QProcess::NotRunning;
               }) &&
               copy.process.state() == QProcess::Running;
    }
    void stop(Copy& copy, int signal) {
        ::kill(pid_t(copy.process.processId()), signal);
        ASSERT_TRUE(copy.process.waitForFinished(test::patienceMs)) << qPrintable(copy.name);
        if (signal == SIGTERM) {
            EXPECT_EQ(copy.process.exitCode(), 0) << qPrintable(copy.name);
        }
    }

    // Both copies trace into one file: lines are counted, not told apart.
    static QStringList trace(const QString& containing) {
        QFile file(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vesk-diagnostics.log"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')).filter(containing);
    }
    // Another writer's to-do, committed at once.
    void addTodo(const QString& title) {
        sqlite::Connection db = connect();
        sqlite::Statement insert(db,
                                 "INSERT INTO SyncedTodo (record_name, title, createdAt) VALUES (?, ?, ?)");
        insert.bindText(1, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
        insert.bindText(2, title);
        insert.bindReal(3, double(added.size()));
        ASSERT_TRUE(insert.run()) << qPrintable(db.lastError());
        added << title;
    }
    static sqlite::Connection connect() {
        sqlite::Connection db;
        EXPECT_TRUE(db.open(SyncCoordinator::storeURL(), false)) << qPrintable(db.lastError());
        db.exec("PRAGMA busy_timeout = 10000");
        return db;
    }
    // The scratch note made on two computers: one copy with one revision, one with two.
    void addDuplicateNotes() {
        sqlite::Connection db = connect();
        ASSERT_TRUE(db.exec("BEGIN IMMEDIATE"));
        for (const int revisions : {1, 2}) {
            sqlite::Statement note(
                db, "INSERT INTO SyncedNote (record_name, uuid, title) VALUES (?, ?, 'Notes')");
            note.bindText(1, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
            note.bindText(2, QString::fromLatin1(scratchNote));
            ASSERT_TRUE(note.run()) << qPrintable(db.lastError());
            const qint64 pk = db.lastInsertRowId();
            for (int i = 0; i < revisions; ++i) {
                sqlite::Statement revision(
                    db,
                    "INSERT INTO SyncedNoteRevision (record_name, text, deviceID, note) VALUES (?, ?, ?, ?)");
                revision.bindText(1, QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper());
                revision.bindText(2, QStringLiteral("text %1 of computer %2").arg(i).arg(revisions));
                revision.bindText(3, QStringLiteral("computer %1").arg(revisions));
                revision.bindInteger(4, pk);
                ASSERT_TRUE(revision.run()) << qPrintable(db.lastError());
            }
        }
        ASSERT_TRUE(db.exec("COMMIT"));
    }

    Copy a;
    Copy b;
    QStringList added;
};

TEST_F(SharedStoreX11Test, TwoCopiesStartingAndStoppingAroundEachOtherKeepTheStoreWhole) {
    prepare(a, QStringLiteral("first copy"));
    prepare(b, QStringLiteral("second copy"));
    start(a);
    start(b);
    ASSERT_TRUE(launched(a));
    ASSERT_TRUE(launched(b));
    ASSERT_TRUE(test::processEventsUntil([] { return trace(QStringLiteral("sync: ")).size() == 2; }));
    addDuplicateNotes();
    // 8 s after its start a copy collapses the two notes into one.
    ASSERT_TRUE(test::processEventsUntil([] { return !trace(QStringLiteral("deduped")).isEmpty(); }));

    // Each round stops and starts each copy once. The second copy is told to end just as
    // the first starts, so one opens the store while the other folds its log in and
    // closes; once it is killed instead, leaving its log to recover.
    int starts = 2;
    for (int round = 1; round <= rounds; ++round) {
        SCOPED_TRACE(QStringLiteral("round %1").arg(round).toStdString());
        stop(a, SIGTERM);
        addTodo(QStringLiteral("round %1 while the first copy was stopped").arg(round));
        start(a);
        stop(b, round == 3 ? SIGKILL : SIGTERM);
        ASSERT_TRUE(launched(a));
        ASSERT_TRUE(
            test::processEventsUntil([&] { return trace(QStringLiteral("sync: ")).size() == starts + 1; }));
        addTodo(QStringLiteral("round %1 while the second copy was stopped").arg(round));
        start(b);
        ASSERT_TRUE(launched(b));
        starts += 2;
        ASSERT_TRUE(
            test::processEventsUntil([&] { return trace(QStringLiteral("sync: ")).size() == starts; }));
    }
    stop(a, SIGTERM);
    stop(b, SIGTERM);

    // A copy that found the store busy longer than it waits runs without it (allowed);
    // what matters is that nothing was taken for damage.
    const QString folder = QFileInfo(SyncCoordinator::storeURL()).absolutePath();
    EXPECT_EQ(QDir(folder).entryList({QStringLiteral("*.corrupt-*")}, QDir::Files), QStringList{});
    sqlite::Connection db = connect();
    QStringList titles;
    sqlite::Statement todos(db, "SELECT title FROM SyncedTodo");
    while (todos.step())
        titles << todos.text(0);
    for (const QString& title : added)
        EXPECT_TRUE(titles.contains(title)) << qPrintable(title);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNote"), 1);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision"), 3);
    EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedNoteRevision WHERE note IS NULL"), 0);
}

} // namespace
} // namespace vesk
