// Files damaged or replaced at rest, met by the program as a user runs it: a settings
// file cut short keeps what it can and brings nothing back, and a FIFO or endless device
// in place of an old file neither holds up start nor keeps SIGTERM from ending it.
#include "VeskNotchProgram.h"

#include "VeskKit/Foundation/TypedJson.h"
#include "VeskSync/Sqlite.h"
#include "VeskSync/SyncCoordinator.h"

#include <QElapsedTimer>
#include <QStandardPaths>

#include <csignal>
#include <sys/stat.h>

namespace vesk {
namespace {

constexpr const char* importedID = "6A1E3B7C-2D4F-4A8B-9C0D-1E2F3A4B5C6D";

class SettingsFilesX11Test : public VeskNotchX11Test {
protected:
    void SetUp() override {
        VeskNotchX11Test::SetUp();
        forget();
        ASSERT_TRUE(QDir().mkpath(dataFolder()));
    }
    void TearDown() override {
        VeskNotchX11Test::TearDown();
        forget();
    }
    static void forget() {
        QDir(dataFolder()).removeRecursively();
        QDir(configFolder()).removeRecursively();
    }
    static QString dataFolder() {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Vesk");
    }
    static QString configFolder() {
        return qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
    }
    static QString defaultsPath() { return configFolder() + QStringLiteral("/defaults.json"); }
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << qPrintable(path);
        file.write(bytes);
    }
    static QStringList trace(const QString& containing) {
        QFile file(qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/vesk-diagnostics.log"));
        if (!file.open(QIODevice::ReadOnly)) return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n')).filter(containing);
    }
    // Runs the program until its synced store has started (the old files are imported in
    // the same step), then ends it as the session would.
    void runUntilTheStoreStarted(bool onboarded) {
        const qsizetype before = trace(QStringLiteral("sync: ")).size();
        start(program, {}, onboarded);
        ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
        ASSERT_TRUE(
            test::processEventsUntil([&] { return trace(QStringLiteral("sync: ")).size() > before; }));
        terminate();
    }
    void terminate() {
        ::kill(pid_t(program.processId()), SIGTERM);
        ASSERT_TRUE(program.waitForFinished(test::patienceMs)) << "SIGTERM did not end the program";
        EXPECT_EQ(program.exitCode(), 0);
    }
    static qint64 importedTodos() {
        sqlite::Connection db;
        EXPECT_TRUE(db.open(SyncCoordinator::storeURL(), false)) << qPrintable(db.lastError());
        return db.integer("SELECT count(*) FROM SyncedTodo WHERE title = 'Imported once'").value_or(-1);
    }
};

TEST_F(SettingsFilesX11Test, ASettingsFileCutShortKeepsItsKeysAndImportsNothingAgain) {
    write(dataFolder() + QStringLiteral("/todos.json"),
          QByteArray(R"([{"id":")") + importedID +
              R"(","title":"Imported once","isDone":false,"isFavorite":false,"createdAt":1}])");
    runUntilTheStoreStarted(true);
    ASSERT_EQ(importedTodos(), 1);

    // The user deletes the imported to-do; later the settings file is cut at byte 60.
    {
        sqlite::Connection db;
        ASSERT_TRUE(db.open(SyncCoordinator::storeURL(), false));
        ASSERT_TRUE(db.exec("DELETE FROM SyncedTodo"));
    }
    const QByteArray whole =
        R"({"alwaysOpenOnHover":true,"clipboardMaxItems":25.0,"didMigrateJSONStores":true,)"
        R"("hasCompletedOnboarding":true,"settingsSchemaVersion":1})";
    write(defaultsPath(), whole.left(60));
    runUntilTheStoreStarted(false);

    EXPECT_EQ(importedTodos(), 0) << "the deleted to-do came back";
    QFile file(defaultsPath());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const std::optional<QVariantMap> values = json::readTyped(file.readAll());
    ASSERT_TRUE(values) << "the settings file was not written whole again";
    EXPECT_EQ(values->value(QStringLiteral("alwaysOpenOnHover")), QVariant(true));
    EXPECT_EQ(values->value(QStringLiteral("clipboardMaxItems")), QVariant(25.0));
    EXPECT_EQ(values->value(QStringLiteral("hasCompletedOnboarding")), QVariant(true));
    EXPECT_EQ(values->value(QStringLiteral("didMigrateJSONStores")), QVariant(true));
    EXPECT_EQ(QDir(configFolder()).entryList({QStringLiteral("defaults.json.corrupt-*")}).size(), 1);
    const QStringList said = trace(QStringLiteral("defaults: defaults.json is unreadable"));
    ASSERT_EQ(said.size(), 1);
    EXPECT_TRUE(said.first().contains(QStringLiteral("2 setting(s) kept"))) << qPrintable(said.first());
}

TEST_F(SettingsFilesX11Test, AFifoOrAnEndlessDeviceInPlaceOfAnOldFileHoldsNothingUp) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(dataFolder() + QStringLiteral("/todos.json")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), dataFolder() + QStringLiteral("/shortcuts.json")));
    write(dataFolder() + QStringLiteral("/note.txt"), "kept note");
    start(program);
    ASSERT_TRUE(launched(program)) << qPrintable(errorLines(program).join('\n'));
    ASSERT_TRUE(test::processEventsUntil([] { return !trace(QStringLiteral("sync: ")).isEmpty(); }));
    // The import runs in the same step as the trace line above.
    QElapsedTimer importing;
    importing.start();
    EXPECT_TRUE(test::processEventsUntil(
        [] { return !trace(QStringLiteral("migrated todos=0 notes=1")).isEmpty(); }, 1000))
        << "the import was held up";
    EXPECT_LE(importing.elapsed(), 1100);
    EXPECT_EQ(trace(QStringLiteral("import: todos.json skipped, not a regular file")).size(), 1);
    EXPECT_EQ(trace(QStringLiteral("import: shortcuts.json skipped, not a regular file")).size(), 1);
    terminate();
    EXPECT_EQ(QFileInfo(dataFolder()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0)
        << "the data folder is the user's alone";
}

} // namespace
} // namespace vesk
