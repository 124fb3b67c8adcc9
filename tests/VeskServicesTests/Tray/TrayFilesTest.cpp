#include "VeskServices/Tray/TrayFiles.h"

#include "support/Files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace vesk;

TEST(TrayFilesTest, FolderCopiesKeepLinksAsLinksAndLeaveSpecialFilesOut) {
    QTemporaryDir dir;
    const QString src = dir.filePath("src");
    vesk::test::writeFile(src + "/a.txt", "a");
    vesk::test::writeFile(src + "/.hidden", "h");
    vesk::test::writeFile(src + "/Sub/b.txt", "b");
    ASSERT_TRUE(QFile::link("a.txt", src + "/rel-link"));
    ASSERT_TRUE(QFile::link(dir.path(), src + "/loop"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(src + "/pipe").constData(), 0600), 0);
    QFile::setPermissions(src + "/a.txt", QFileDevice::ReadOwner);

    std::atomic<bool> cancel{false};
    QString error;
    ASSERT_TRUE(tray_files::copy(src, dir.filePath("dst"), cancel, &error)) << error.toStdString();
    const QString dst = dir.filePath("dst");
    EXPECT_EQ(vesk::test::readFile(dst + "/a.txt"), "a");
    EXPECT_EQ(vesk::test::readFile(dst + "/.hidden"), "h");
    EXPECT_EQ(vesk::test::readFile(dst + "/Sub/b.txt"), "b");
    struct stat mode {};
    ASSERT_EQ(::stat(QFile::encodeName(dst + "/a.txt").constData(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 07777, 0400u);
    EXPECT_TRUE(QFileInfo(dst + "/rel-link").isSymLink());
    EXPECT_EQ(QFileInfo(dst + "/rel-link").symLinkTarget(), dst + "/a.txt");
    EXPECT_TRUE(QFileInfo(dst + "/loop").isSymLink());
    EXPECT_FALSE(QFileInfo::exists(dst + "/pipe"));
    EXPECT_EQ(QFileInfo(dst + "/Sub/b.txt").lastModified(), QFileInfo(src + "/Sub/b.txt").lastModified());
}

TEST(TrayFilesTest, ACancelledCopyStopsWithAnError) {
    QTemporaryDir dir;
    vesk::test::writeFile(dir.filePath("big.bin"), QByteArray(4 << 20, 'x'));
    std::atomic<bool> cancel{true};
    QString error;
    EXPECT_FALSE(tray_files::copy(dir.filePath("big.bin"), dir.filePath("copy.bin"), cancel, &error));
    EXPECT_EQ(error, "cancelled");
}

TEST(TrayFilesTest, DeletingAMovedSourceKeepsWhatAppearedDuringTheCopy) {
    QTemporaryDir dir;
    const QString src = dir.filePath("src");
    vesk::test::writeFile(src + "/a.txt", "a");
    vesk::test::writeFile(src + "/Sub/b.txt", "b");
    std::atomic<bool> cancel{false};
    ASSERT_TRUE(tray_files::copy(src, dir.filePath("copy"), cancel, nullptr));
    vesk::test::writeFile(src + "/Sub/new.txt", "new");

    EXPECT_FALSE(tray_files::deleteCopiedSource(src, dir.filePath("copy")));
    EXPECT_FALSE(QFileInfo::exists(src + "/a.txt"));
    EXPECT_FALSE(QFileInfo::exists(src + "/Sub/b.txt"));
    EXPECT_EQ(vesk::test::readFile(src + "/Sub/new.txt"), "new");
    EXPECT_EQ(vesk::test::readFile(dir.filePath("copy/Sub/b.txt")), "b");

    vesk::test::writeFile(dir.filePath("one.txt"), "1");
    ASSERT_TRUE(tray_files::copy(dir.filePath("one.txt"), dir.filePath("one-copy.txt"), cancel, nullptr));
    EXPECT_TRUE(tray_files::deleteCopiedSource(dir.filePath("one.txt"), dir.filePath("one-copy.txt")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("one.txt")));
}

TEST(TrayFilesTest, OnlyCanonicalUuidTextNamesAnItemFolder) {
    const QUuid id = QUuid::createUuid();
    const QString canonical = id.toString(QUuid::WithoutBraces).toUpper();
    EXPECT_EQ(tray_files::idFromFolderName(canonical), id);
    EXPECT_FALSE(tray_files::idFromFolderName(canonical.toLower()));
    EXPECT_FALSE(tray_files::idFromFolderName("{" + canonical + "}"));
    EXPECT_FALSE(tray_files::idFromFolderName(".removing-" + canonical));
    EXPECT_FALSE(tray_files::idFromFolderName("index.json"));
}
