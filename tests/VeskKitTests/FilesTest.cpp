#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/WaitingWrite.h"

#include "support/Files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace vesk;

TEST(FilesTest, FoldersFollowTheXdgVariables) {
    EXPECT_EQ(files::applicationSupportFolder(),
              qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Vesk"));
    EXPECT_EQ(files::configFolder(), qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk"));
    EXPECT_EQ(files::userTemporaryFolder(), qEnvironmentVariable("XDG_RUNTIME_DIR"));
}

TEST(FilesTest, AtomicWriteCreatesFoldersAndReplacesWholeFiles) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a/b/index.json"));
    ASSERT_TRUE(files::writeAtomically(path, "first"));
    // A reader that opened the old file still reads it whole: the new one replaces it.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    ASSERT_TRUE(files::writeAtomically(path, "second"));
    EXPECT_EQ(reader.readAll(), QByteArray("first"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("second"));
    EXPECT_EQ(QDir(dir.filePath(QStringLiteral("a/b"))).entryList(QDir::Files),
              QStringList{QStringLiteral("index.json")});

    QString error;
    EXPECT_FALSE(files::writeAtomically(QStringLiteral("/proc/vesk/nope.json"), "x", &error));
    EXPECT_FALSE(error.isEmpty());
}

// As on a full disk: the bytes past the limit cannot be written.
TEST(FilesTest, AtomicWriteTheFileCannotTakeFailsWithTheReasonAndLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    ASSERT_TRUE(files::writeAtomically(path, "old content"));
    QString error;
    {
        const test::ScopedFileSizeLimit limit(1024);
        EXPECT_FALSE(files::writeAtomically(path, QByteArray(2000, 'x'), &error));
    }
    EXPECT_EQ(error, QStringLiteral("File too large"));
    EXPECT_EQ(test::readFile(path), QByteArray("old content"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});
}

// What a failed write kept waits: only a retry that lands clears it, and at an ending
// only what waits is written.
TEST(FilesTest, AWriteThatFailedWaitsUntilARetryLands) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.json"));
    QByteArray held = "first";
    int writes = 0;
    WaitingWrite write(QStringLiteral("list.json"), [&](QString* error) {
        ++writes;
        return files::writeAtomically(path, held, error);
    });
    EXPECT_TRUE(write.writeIfWaiting());
    EXPECT_EQ(writes, 0);
    {
        const test::ScopedFileSizeLimit limit(1024);
        held = QByteArray(2000, 'x');
        EXPECT_FALSE(write.write());
        EXPECT_TRUE(write.isWaiting());
        EXPECT_EQ(write.reason(), QStringLiteral("File too large"));
        EXPECT_FALSE(write.writeIfWaiting());
    }
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(write.writeIfWaiting());
    EXPECT_FALSE(write.isWaiting());
    EXPECT_TRUE(write.reason().isEmpty());
    EXPECT_EQ(test::readFile(path), held);
    EXPECT_TRUE(write.writeIfWaiting());
    EXPECT_EQ(writes, 3);
}

TEST(FilesTest, KeepAsideRenamesWithoutOverwritingEarlierCopies) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("index.json"));
    ASSERT_TRUE(files::writeAtomically(path, "one"));
    const auto first = files::keepAside(path);
    ASSERT_TRUE(first);
    ASSERT_TRUE(files::writeAtomically(path, "two"));
    const auto second = files::keepAside(path);
    ASSERT_TRUE(second);
    EXPECT_NE(*first, *second);
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(first->contains(QStringLiteral("index.json.corrupt-")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
    EXPECT_FALSE(files::keepAside(path));
}

TEST(FilesTest, IsInsideRejectsTheFolderItselfSiblingsDotDotAndLinksLeadingOut) {
    QTemporaryDir dir;
    const QString tray = dir.filePath(QStringLiteral("Tray"));
    QDir().mkpath(tray + QStringLiteral("/ABC"));
    QDir().mkpath(dir.filePath(QStringLiteral("TrayX")));
    EXPECT_TRUE(files::isInside(tray + QStringLiteral("/ABC/file.txt"), tray));
    EXPECT_FALSE(files::isInside(tray, tray));
    EXPECT_FALSE(files::isInside(dir.filePath(QStringLiteral("TrayX/file")), tray));
    EXPECT_FALSE(files::isInside(tray + QStringLiteral("/../outside"), tray));
    ASSERT_TRUE(QFile::link(dir.path(), tray + QStringLiteral("/link")));
    EXPECT_FALSE(files::isInside(tray + QStringLiteral("/link"), tray));
}

TEST(FilesTest, OnlyRegularFilesAreReadAndEverythingWrittenIsTheUsersAlone) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QString::fromLatin1(name)); };
    ASSERT_TRUE(files::writeAtomically(path("list.json"), "[1,2]"));
    files::FileRead read = files::readRegularFile(path("list.json"), 5);
    EXPECT_TRUE(read.ok());
    EXPECT_EQ(read.bytes, QByteArray("[1,2]"));
    EXPECT_EQ(files::readRegularFile(path("list.json"), 4).status, files::FileRead::Status::tooLarge);
    EXPECT_EQ(files::readRegularFile(path("missing.json"), 4).status, files::FileRead::Status::missing);

    // Neither waits for a writer nor reads without end.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path("fifo.json")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path("zero.json")));
    ASSERT_TRUE(QDir().mkpath(path("folder.json")));
    for (const char* name : {"fifo.json", "zero.json", "folder.json"}) {
        read = files::readRegularFile(path(name), 1024);
        EXPECT_EQ(read.status, files::FileRead::Status::notRegular) << name;
        EXPECT_FALSE(read.error.isEmpty());
    }

    const auto mode = [](const QString& p) {
        struct stat status {};
        ::stat(QFile::encodeName(p).constData(), &status);
        return status.st_mode & 0777;
    };
    ASSERT_TRUE(files::writeAtomically(path("new/deeper/file"), "x"));
    EXPECT_EQ(mode(path("new")), 0700u);
    EXPECT_EQ(mode(path("new/deeper")), 0700u);
    EXPECT_EQ(mode(path("new/deeper/file")), 0600u);
    ::chmod(QFile::encodeName(path("list.json")).constData(), 0644);
    ASSERT_TRUE(files::writeAtomically(path("list.json"), "[]"));
    EXPECT_EQ(mode(path("list.json")), 0600u) << "an older open file is made private when rewritten";
    ::chmod(QFile::encodeName(path("folder.json")).constData(), 0755);
    files::restrictToOwner(path("folder.json"));
    EXPECT_EQ(mode(path("folder.json")), 0700u);
}
