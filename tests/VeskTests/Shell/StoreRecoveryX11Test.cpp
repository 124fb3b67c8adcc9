// The synced store out of reach or damaged when the program starts, as a user meets it:
// to-dos typed into the open Desk must be kept, stored and listed once the store can be
// used, and a damaged store must come back with every row that can still be read.
#include "VeskNotchProgram.h"

#include "support/EventLoop.h"
#include "support/X11/Xdotool.h"

#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "VeskSync/Sqlite.h"
#include "VeskSync/SyncCoordinator.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>

namespace vesk {
namespace {

class StoreRecoveryX11Test : public VeskNotchX11Test {
protected:
    // The data folder and the trace are shared by every test of this binary: each test
    // starts and leaves them empty.
    void SetUp() override {
        VeskNotchX11Test::SetUp();
        forget();
    }
    void TearDown() override {
        VeskNotchX11Test::TearDown();
        forget();
    }
    static void forget() {
        QDir(QFileInfo(SyncCoordinator::storeURL()).absolutePath()).removeRecursively();
        QFile::remove(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vesk-diagnostics.log"));
    }
    // A store of `count` to-dos, folded into the file and closed.
    static void makeStore(int count) {
        auto container = ModelContainer::open(SyncCoordinator::storeURL());
        ASSERT_TRUE(container);
        ModelContext context(container);
        for (int n = 0; n < count; ++n) {
            auto todo = std::make_shared<SyncedTodo>();
            todo->uuid = QUuid::createUuid();
            todo->title =
                QStringLiteral("stored to-do %1 ").arg(n, 3, 10, QLatin1Char('0')) + QString(80, 'x');
            todo->createdAt = Date{double(n)};
            context.insert(todo);
        }
        ASSERT_TRUE(context.save());
    }
    static sqlite::Connection connect() {
        sqlite::Connection db;
        EXPECT_TRUE(db.open(SyncCoordinator::storeURL(), false)) << qPrintable(db.lastError());
        db.exec("PRAGMA busy_timeout = 2000");
        return db;
    }
    static qint64 todosTitled(const QString& title, const char* extra = "") {
        sqlite::Connection db = connect();
        sqlite::Statement count(
            db,
            QByteArray(QByteArray("SELECT count(*) FROM SyncedTodo WHERE title = ?") + extra).constData());
        count.bindText(1, title);
        return count.step() ? count.integer(0) : -1;
    }
    static QStringList trace(const QString& containing) {
        QFile file(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vesk-diagnostics.log"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')).filter(containing);
    }

    // The open Desk, the widest window of the program hanging from the top edge.
    QRect desk() {
        QRect found;
        test::processEventsUntil([&] {
            for (const QRect& window : visibleWindows(program.processId()))
                if (window.top() == 0 && window.width() > found.width()) found = window;
            return found.width() > 600;
        });
        // Its opening ends before it takes a click.
        test::processEventsFor(1000);
        return found;
    }
    // The to-do widget sits second in the default row: its field near the top, its
    // first row's check box below it.
    static QPoint field(const QRect& desk) {
        return {desk.left() + desk.width() * 41 / 100, desk.top() + 52};
    }
    static QPoint firstCheckBox(const QRect& desk) {
        return {desk.left() + desk.width() * 363 / 1000, desk.top() + 94};
    }
    static bool typeTodo(const QPoint& at, const QString& text) {
        return test::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}) &&
               test::xdotool({"type", "--delay", "20", text}) && test::xdotool({"key", "Return"});
    }
    static bool click(const QPoint& at) {
        return test::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"});
    }
    QProcessEnvironment openDesk() {
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("VESK_OPEN"), QStringLiteral("1"));
        return extra;
    }
};

// Another program holds the store from just before the start until a to-do was typed. The
// Desk says the to-dos cannot be opened, and the to-do typed then stays in the field; once
// the lock is gone, Return stores it and the list shows it (its check box marks it done).
TEST_F(StoreRecoveryX11Test, AToDoTypedWhileTheStoreIsLockedIsKeptThenStoredAndListed) {
    makeStore(3);
    auto holder = std::make_unique<sqlite::Connection>(connect());
    ASSERT_TRUE(holder->exec("PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE"));
    test::processEventsFor(500);
    start(program, openDesk());
    ASSERT_TRUE(launched(program));
    ASSERT_TRUE(
        test::processEventsUntil([] { return !trace(QStringLiteral("database is locked")).isEmpty(); }));
    const QRect open = desk();
    ASSERT_GT(open.width(), 600);

    const QString title = QStringLiteral("typed while locked");
    ASSERT_TRUE(click(field(open)) && test::xdotool({"type", "--delay", "20", title}));
    test::processEventsFor(300);
    // Return asks for the store again and is refused; the lock is let go only after that,
    // however long the program took to get there.
    const qsizetype refused = trace(QStringLiteral("database is locked")).size();
    ASSERT_TRUE(test::xdotool({"key", "Return"}));
    ASSERT_TRUE(test::processEventsUntil(
        [&] { return trace(QStringLiteral("database is locked")).size() > refused; }));
    test::processEventsFor(300);
    holder.reset();
    EXPECT_EQ(todosTitled(title), 0);

    // The text is still in the field: Return alone adds it now.
    test::processEventsFor(1100);
    ASSERT_TRUE(test::xdotool({"key", "Return"}));
    ASSERT_TRUE(test::processEventsUntil([&] { return todosTitled(title) == 1; }, 10000))
        << qPrintable(trace(QString()).join('\n'));
    EXPECT_FALSE(trace(QStringLiteral("store: opened on a later try")).isEmpty());
    EXPECT_EQ(todosTitled(QString()), 0) << "an empty to-do was stored";

    // Newest first: the typed to-do is the first row.
    ASSERT_TRUE(click(firstCheckBox(open)));
    EXPECT_TRUE(test::processEventsUntil([&] { return todosTitled(title, " AND isDone = 1") == 1; }, 10000));
}

// Garbage over one leaf page of a 400-to-do store: the program keeps the file aside,
// says so, and lists every to-do the other pages still hold.
TEST_F(StoreRecoveryX11Test, AStoreWithADamagedLeafOpensWithItsReadableRowsAndSaysWhy) {
    constexpr int stored = 400;
    makeStore(stored);
    const QString path = SyncCoordinator::storeURL();
    qint64 lost = 0;
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        const QByteArray header = file.read(100);
        const int pageSize = qFromBigEndian<quint16>(header.constData() + 16);
        sqlite::Connection db = connect();
        const qint64 root =
            db.integer("SELECT rootpage FROM sqlite_master WHERE name = 'SyncedTodo'").value_or(0);
        db.close();
        // The root is an interior page; its first cell names the first leaf.
        ASSERT_TRUE(file.seek((root - 1) * pageSize));
        const QByteArray interior = file.read(pageSize);
        ASSERT_EQ(quint8(interior.at(0)), 0x05);
        const quint16 cell = qFromBigEndian<quint16>(interior.constData() + 12);
        const quint32 leaf = qFromBigEndian<quint32>(interior.constData() + cell);
        ASSERT_TRUE(file.seek(qint64(leaf - 1) * pageSize));
        const QByteArray leafPage = file.read(pageSize);
        ASSERT_EQ(quint8(leafPage.at(0)), 0x0d);
        lost = qFromBigEndian<quint16>(leafPage.constData() + 3);
        ASSERT_TRUE(file.seek(qint64(leaf - 1) * pageSize));
        file.write(QByteArray(pageSize, char(0x5a)));
    }
    ASSERT_GT(lost, 0);

    start(program, openDesk());
    ASSERT_TRUE(launched(program));
    ASSERT_TRUE(test::processEventsUntil([] { return !trace(QStringLiteral("could not be used")).isEmpty(); },
                                         10000));
    const QString line = trace(QStringLiteral("could not be used")).constFirst();
    EXPECT_TRUE(line.contains(QStringLiteral("carried %1 row(s)").arg(stored - lost))) << qPrintable(line);
    QStringList aside =
        QDir(QFileInfo(path).absolutePath()).entryList({QStringLiteral("Vesk.store.corrupt-*")}, QDir::Files);
    aside.removeIf([](const QString& name) { return name.endsWith("-wal") || name.endsWith("-shm"); });
    ASSERT_EQ(aside.size(), 1);
    EXPECT_TRUE(line.contains(aside.first())) << qPrintable(line);
    {
        sqlite::Connection db = connect();
        EXPECT_EQ(db.integer("SELECT count(*) FROM SyncedTodo"), stored - lost);
        sqlite::Statement check(db, "PRAGMA quick_check");
        ASSERT_TRUE(check.step());
        EXPECT_EQ(check.text(0), QStringLiteral("ok"));
    }

    // A to-do typed now is stored and is the first row the Desk lists.
    const QRect open = desk();
    ASSERT_GT(open.width(), 600);
    const QString title = QStringLiteral("typed after the repair");
    ASSERT_TRUE(typeTodo(field(open), title));
    ASSERT_TRUE(test::processEventsUntil([&] { return todosTitled(title) == 1; }, 10000));
    ASSERT_TRUE(click(firstCheckBox(open)));
    EXPECT_TRUE(test::processEventsUntil([&] { return todosTitled(title, " AND isDone = 1") == 1; }, 10000));
}

} // namespace
} // namespace vesk
