#include "VeskPlatform/Thumbnails/DesktopThumbnailer.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QUrl>

using namespace vesk;

namespace {

void writeText(const QString& path, const QByteArray& text, bool executable = false) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    if (executable) file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

} // namespace

class DesktopThumbnailerTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data() const { return dir.filePath("data"); }
    QString file(const QString& name) const { return dir.filePath(name); }

    // A thumbnailer for PDF files: a script that writes a 300x150 picture to %o, and
    // records its arguments.
    void installPdfThumbnailer(const QByteArray& exitCode = "0") {
        QImage picture(300, 150, QImage::Format_RGB32);
        picture.fill(qRgb(0, 0, 255));
        ASSERT_TRUE(picture.save(file("picture.png")));
        writeText(file("thumbnail.sh"),
                  "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + file("args").toUtf8() + "'\ncp '" +
                      file("picture.png").toUtf8() + "' \"$2\"\nexit " + exitCode + "\n",
                  true);
        writeText(data() + "/thumbnailers/test-pdf.thumbnailer",
                  "[Thumbnailer Entry]\nTryExec=/bin/sh\nExec=" + file("thumbnail.sh").toUtf8() +
                      " %i %o -s %s --uri=%u %%\nMimeType=application/pdf;\n");
    }
};

// Pictures are decoded apart from the program: without a thumbnailer for its type, an
// image gives nothing here, and a thumbnailer's output that is not PNG is not read.
TEST_F(DesktopThumbnailerTest, ImagesAreNeverDecodedInProcess) {
    QImage image(400, 200, QImage::Format_RGB32);
    image.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(image.save(file("wide.png")));
    ASSERT_TRUE(image.save(file("wide.jpg"), "JPEG"));
    DesktopThumbnailer thumbnailer({data()});
    EXPECT_FALSE(thumbnailer.thumbnail(file("wide.png"), 112));
    EXPECT_FALSE(thumbnailer.thumbnail(file("wide.jpg"), 112));

    installPdfThumbnailer();
    ASSERT_TRUE(QFile::remove(file("picture.png")));
    ASSERT_TRUE(QFile::copy(file("wide.jpg"), file("picture.png")));
    writeText(file("paper.pdf"), "%PDF-1.4\n");
    EXPECT_FALSE(DesktopThumbnailer({data()}).thumbnail(file("paper.pdf"), 112));
}

TEST_F(DesktopThumbnailerTest, OtherTypesGoToTheThumbnailerNamedForTheirMimeType) {
    installPdfThumbnailer();
    writeText(file("paper.pdf"), "%PDF-1.4\n");
    DesktopThumbnailer thumbnailer({data()});
    const auto thumb = thumbnailer.thumbnail(file("paper.pdf"), 112);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->size(), QSize(112, 56));
    EXPECT_EQ(thumb->pixel(5, 5), qRgb(0, 0, 255));

    QFile args(file("args"));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = args.readAll().split('\n');
    ASSERT_GE(lines.size(), 6);
    EXPECT_EQ(lines[0], file("paper.pdf").toUtf8());
    EXPECT_TRUE(lines[1].endsWith("thumbnail.png"));
    EXPECT_EQ(lines[2], "-s");
    EXPECT_EQ(lines[3], "112");
    EXPECT_EQ(lines[4], "--uri=" + QUrl::fromLocalFile(file("paper.pdf")).toEncoded());
    EXPECT_EQ(lines[5], "%");
}

TEST_F(DesktopThumbnailerTest, NoThumbnailerOrAFailingOneGivesNothing) {
    writeText(file("notes.txt"), "plain text");
    writeText(file("paper.pdf"), "%PDF-1.4\n");
    DesktopThumbnailer none({data()});
    EXPECT_FALSE(none.thumbnail(file("notes.txt"), 112));
    EXPECT_FALSE(none.thumbnail(file("paper.pdf"), 112));
    EXPECT_FALSE(none.thumbnail(file("missing.pdf"), 112));
    EXPECT_FALSE(none.thumbnail(dir.path(), 112));

    installPdfThumbnailer("3");
    DesktopThumbnailer failing({data()});
    EXPECT_FALSE(failing.thumbnail(file("paper.pdf"), 112));
}

TEST_F(DesktopThumbnailerTest, EntriesWithAMissingProgramAreSkippedAndEarlierFoldersWin) {
    writeText(data() + "/thumbnailers/a.thumbnailer",
              "[Thumbnailer Entry]\nTryExec=/nonexistent/program\nExec=/nonexistent/program %i %o\n"
              "MimeType=application/pdf;\n");
    writeText(dir.filePath("later/thumbnailers/a.thumbnailer"),
              "[Thumbnailer Entry]\nExec=/bin/true\nMimeType=text/plain;\n");
    DesktopThumbnailer thumbnailer({data(), dir.filePath("later")});
    const auto entries = thumbnailer.entries();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries.first().mimeTypes, QStringList{"application/pdf"});
    writeText(file("paper.pdf"), "%PDF-1.4\n");
    EXPECT_FALSE(thumbnailer.thumbnail(file("paper.pdf"), 112));
}

TEST(DesktopThumbnailerExecTest, ExecLinesSplitWithQuotesAndFieldCodes) {
    EXPECT_EQ(DesktopThumbnailer::expandExec("prog -s %s %u %o", "/a b/c.pdf", "/out.png", 64),
              (QStringList{"prog", "-s", "64", "file:///a%20b/c.pdf", "/out.png"}));
    EXPECT_EQ(DesktopThumbnailer::expandExec("\"/opt/my prog\" \"%i\" %f %o", "/x.pdf", "/o.png", 8),
              (QStringList{"/opt/my prog", "/x.pdf", "/o.png"}));
    EXPECT_EQ(DesktopThumbnailer::expandExec("prog \"a \\\"quoted\\\" word\"", "", "", 1),
              (QStringList{"prog", "a \"quoted\" word"}));
    EXPECT_TRUE(DesktopThumbnailer::expandExec("prog \"unterminated", "", "", 1).isEmpty());
}
