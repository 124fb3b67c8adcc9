#include "Vesk/Tray/TrayQuickLook.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

namespace vesk {
namespace {

class TrayQuickLookTest : public ::testing::Test {
protected:
    QUrl write(const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return QUrl::fromLocalFile(file.fileName());
    }

    // Shows `url` and waits for its picture or text.
    void showAndWait(const QUrl& url) {
        preview.show({url}, 0);
        ASSERT_TRUE(test::processEventsUntil(
            [&] { return preview.content() != TrayQuickLook::Content::icon; }, 30000))
            << "the preview of " << qPrintable(url.fileName()) << " never arrived";
    }

    QTemporaryDir folder;
    TrayQuickLook preview;
};

// A JPEG 40 wide and 20 high whose orientation tag says to turn it a quarter clockwise.
QByteArray sidewaysJpeg() {
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    // APP1 "Exif": a big-endian TIFF header and one IFD entry, Orientation (0x0112) = 6.
    const QByteArray exif = QByteArray("\xFF\xE1\x00\x22"
                                       "Exif\x00\x00"
                                       "MM\x00\x2A\x00\x00\x00\x08"
                                       "\x00\x01"
                                       "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x06\x00\x00"
                                       "\x00\x00\x00\x00",
                                       36);
    return jpeg.left(2) + exif + jpeg.mid(2);
}

TEST_F(TrayQuickLookTest, ShowKeepsItsListRulesAndClampsTheIndex) {
    const QList<QUrl> three{write(u"a.bin"_qs, "a"), write(u"b.bin"_qs, "b"), write(u"c.bin"_qs, "c")};
    preview.show({}, 0);
    EXPECT_FALSE(preview.isVisible());
    preview.show(three, 5);
    EXPECT_EQ(preview.index(), 2);
    EXPECT_TRUE(preview.isVisible());
    EXPECT_EQ(preview.windowTitle(), u"c.bin"_qs);
    preview.show({}, 0);
    EXPECT_EQ(preview.urls(), three) << "an empty list leaves the old one";
    preview.show(three.mid(0, 2), -1);
    EXPECT_EQ(preview.index(), 0);
    EXPECT_EQ(preview.urls().size(), 2);

    QTest::keyClick(&preview, Qt::Key_Right);
    EXPECT_EQ(preview.index(), 1);
    QTest::keyClick(&preview, Qt::Key_Right);
    EXPECT_EQ(preview.index(), 1);
    QTest::keyClick(&preview, Qt::Key_Space);
    EXPECT_FALSE(preview.isVisible());
    preview.show(three, 0);
    QTest::keyClick(&preview, Qt::Key_Escape);
    EXPECT_FALSE(preview.isVisible());
}

TEST_F(TrayQuickLookTest, ImagesStandUprightPdfsShowTheirFirstPageTextIsRead) {
    showAndWait(write(u"photo.jpg"_qs, sidewaysJpeg()));
    EXPECT_EQ(preview.content(), TrayQuickLook::Content::image);
    EXPECT_EQ(preview.picture().size(), QSize(20, 40));

    const QString pdf = folder.filePath(u"doc.pdf"_qs);
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, 4000, 4000), Qt::blue);
        writer.newPage();
        painter.fillRect(QRect(0, 0, 4000, 4000), Qt::green);
    }
    showAndWait(QUrl::fromLocalFile(pdf));
    EXPECT_EQ(preview.content(), TrayQuickLook::Content::pdf);
    const QImage page = preview.picture();
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(page.pixelColor(page.width() / 2, page.height() / 2), QColor(Qt::blue)) << "the first page";

    showAndWait(write(u"notes.txt"_qs, "first line\nsecond \xFF line\n"));
    EXPECT_EQ(preview.content(), TrayQuickLook::Content::text);
    EXPECT_TRUE(preview.text().startsWith(u"first line\nsecond \uFFFD line"_qs));
}

} // namespace
} // namespace vesk
