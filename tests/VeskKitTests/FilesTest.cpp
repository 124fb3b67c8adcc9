#include "VeskKit/Foundation/Files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
