#include "VeskServices/Tray/TrayFiles.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace vesk;

namespace {

void write(const QString& path, qint64 bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(bytes, 'x'));
}

} // namespace

TEST(TrayMeasureTest, HiddenEntriesCountAsChildrenButNotTowardsTheSize) {
    QTemporaryDir dir;
    const QString root = dir.filePath("Folder");
    write(root + "/a.txt", 10);
    write(root + "/b.txt", 20);
    write(root + "/.hidden", 1000);
    write(root + "/Sub/c.txt", 30);
    write(root + "/Sub/.secret/d.txt", 5000);
    write(root + "/.cache/e.txt", 7000);
    ASSERT_TRUE(QFile::link(root + "/a.txt", root + "/Sub/link"));
    ASSERT_TRUE(QFile::link(dir.path(), root + "/Sub/loop"));

    const auto m = tray_files::measure(root, 5000);
    EXPECT_EQ(m.children, 5);
    EXPECT_EQ(m.size, 60) << "links are counted as visits but neither followed nor summed";

    write(dir.filePath("Hidden/.a"), 10);
    write(dir.filePath("Hidden/.b"), 10);
    const auto hidden = tray_files::measure(dir.filePath("Hidden"), 5000);
    EXPECT_EQ(hidden.children, 2);
    EXPECT_EQ(hidden.size, 0) << "only hidden files inside: zero bytes";
    const auto unlisted = tray_files::measure(QStringLiteral("/nonexistent/folder"), 5000);
    EXPECT_EQ(unlisted.children, 0);
    EXPECT_EQ(unlisted.size, 0);
}

TEST(TrayMeasureTest, TheVisitLimitBoundsTheSumButNotTheChildCount) {
    QTemporaryDir dir;
    for (int i = 0; i < 6000; ++i)
        write(dir.filePath(QStringLiteral("f%1").arg(i)), 1);
    const auto m = tray_files::measure(dir.path(), 5000);
    EXPECT_EQ(m.children, 6000);
    EXPECT_EQ(m.size, 5000);

    // Folders are visits too.
    QTemporaryDir nested;
    for (int i = 0; i < 10; ++i)
        write(nested.filePath(QStringLiteral("d%1/f").arg(i)), 1);
    EXPECT_EQ(tray_files::measure(nested.path(), 20).size, 10);
    EXPECT_EQ(tray_files::measure(nested.path(), 19).size, 9);
}
