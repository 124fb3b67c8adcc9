#include "VeskPlatform/Files/Trash.h"

#include "support/Files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

using namespace vesk;

namespace {

QString writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    return path;
}

} // namespace

class TrashTest : public ::testing::Test {
protected:
    // Beside the trash, on its filesystem.
    QString place(const QString& relative) const {
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/place/" + relative;
    }
};

TEST_F(TrashTest, EntriesMoveWithARecordUnderFreeNames) {
    EXPECT_EQ(trash::homeTrash(), qEnvironmentVariable("XDG_DATA_HOME") + "/Trash");
    const QString first = writeFile(place("a/report 1.pdf"), "one");
    const QString second = writeFile(place("b/report 1.pdf"), "two");
    writeFile(place("Folder/inner.txt"), "inner");

    const auto one = trash::moveToTrash(first);
    const auto two = trash::moveToTrash(second);
    const auto folder = trash::moveToTrash(place("Folder"));
    ASSERT_TRUE(one && two && folder);
    EXPECT_EQ(*one, trash::homeTrash() + "/files/report 1.pdf");
    EXPECT_EQ(*two, trash::homeTrash() + "/files/report 1.2.pdf");
    EXPECT_EQ(vesk::test::readFile(*two), "two");
    EXPECT_EQ(vesk::test::readFile(*folder + "/inner.txt"), "inner");
    EXPECT_FALSE(QFileInfo::exists(first));
    EXPECT_FALSE(QFileInfo::exists(place("Folder")));

    const QByteArray record = vesk::test::readFile(trash::homeTrash() + "/info/report 1.2.pdf.trashinfo");
    const QList<QByteArray> lines = record.split('\n');
    ASSERT_GE(lines.size(), 3);
    EXPECT_EQ(lines[0], "[Trash Info]");
    EXPECT_EQ(lines[1], "Path=" + QUrl::toPercentEncoding(second, "/"));
    EXPECT_TRUE(lines[2].startsWith("DeletionDate=20"));
    EXPECT_EQ(lines[2].size(), QByteArray("DeletionDate=2024-01-01T00:00:00").size());

    // A name too long beside its record's ".trashinfo" goes in shorter, cut between whole
    // characters before its extension (the record keeps the whole path).
    const auto cut = trash::moveToTrash(writeFile(place(QString(124, QChar(0xE9)) + ".txt"), "long"));
    ASSERT_TRUE(cut);
    EXPECT_EQ(QFileInfo(*cut).fileName(), QString(120, QChar(0xE9)) + ".txt");
}

TEST_F(TrashTest, WhenTheTrashCannotBeMadeNothingMoves) {
    const QString file = writeFile(place("keep.txt"), "keep");
    writeFile(trash::homeTrash(), "a plain file where the trash belongs");
    QString error;
    EXPECT_FALSE(trash::moveToTrash(file, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(vesk::test::readFile(file), "keep");
    // Nothing appears in the working folder either.
    EXPECT_FALSE(QFileInfo::exists(QDir::current().filePath("files/keep.txt")));
}

TEST_F(TrashTest, EntriesOnAnotherFilesystemStay) {
    QTemporaryDir other(QStringLiteral("/dev/shm/vesk-trash-XXXXXX"));
    ASSERT_TRUE(other.isValid());
    const QString file = writeFile(other.filePath("far.txt"), "far");
    QDir().mkpath(place(""));
    const auto moved = trash::moveToTrash(file);
    struct stat a {
    }, b{};
    ::stat(QFile::encodeName(other.path()).constData(), &a);
    ::stat(QFile::encodeName(place("")).constData(), &b);
    if (a.st_dev != b.st_dev) {
        EXPECT_FALSE(moved);
        EXPECT_EQ(vesk::test::readFile(file), "far");
    } else {
        EXPECT_TRUE(moved);
    }
    EXPECT_FALSE(trash::moveToTrash(other.filePath("missing.txt")));
}
