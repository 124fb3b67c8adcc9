#include "PipelineTestSupport.h"

#include "VeskPlatform/ImageIO/Heif.h"
#include "VeskPlatform/ImageIO/ImageFile.h"
#include "VeskPlatform/ImageIO/ImageMetadata.h"
#include "VeskPlatform/ImageIO/JpegLossless.h"
#include "VeskPlatform/PDF/PdfWriter.h"
#include "VeskServices/Pipelines/ImagePipelines.h"

#include "support/Files.h"

#include <QBuffer>
#include <QProcess>
#include <QRegularExpression>

using namespace vesk;
using namespace vesk::test;
using imageio::ImageMetadata;

namespace {

QImage decoded(const QString& path) {
    QImageReader reader(path);
    reader.setAutoTransform(false);
    return reader.read();
}

bool isRed(const QColor& c) {
    return c.red() > 200 && c.blue() < 60;
}

QString tool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished(60000)) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

// Orientation 6: the stored top-left corner shows at the top right once upright.
TEST_F(PipelineTest, CompressWritesUprightSmallerJpegsKeepingGPSAndTheProfile) {
    writePhoto(input("big.jpg"), QSize(3000, 2000), {.orientation = 6});
    writePhoto(input("small.JPG"), QSize(320, 240), {.orientation = 1, .gps = false});
    const CompressImagePipeline compress;
    const PipelineOutcome outcome = run(compress, {input("big.jpg"), input("small.JPG")});
    ASSERT_FALSE(outcome.failure);
    ASSERT_EQ(outcome.produced.size(), 2);
    EXPECT_EQ(outcome.produced[0].fileName(), QStringLiteral("big-compressed.jpg"));
    EXPECT_EQ(progress(),
              (QList<std::pair<double, QString>>{{0, "big.jpg"}, {0.5, "small.JPG"}, {1, "Done"}}));

    const QImage big = decoded(outcome.produced[0].toLocalFile());
    EXPECT_EQ(big.size(), QSize(1365, 2048));
    EXPECT_TRUE(isRed(big.pixelColor(big.width() - 10, 10))) << "upright";
    EXPECT_TRUE(big.colorSpace().isValid()) << "the profile travels";
    const ImageMetadata meta = ImageMetadata::readFile(outcome.produced[0].toLocalFile());
    EXPECT_EQ(meta.orientation(), 1) << "turned pixels are not turned again";
    EXPECT_TRUE(meta.has(QStringLiteral("Exif.GPSInfo.GPSLatitude")));
    EXPECT_EQ(meta.value(QStringLiteral("Exif.Image.Make")), QStringLiteral("Testcam"));
    EXPECT_EQ(meta.value(QStringLiteral("Exif.Photo.PixelXDimension")), QStringLiteral("1365"));
    EXPECT_EQ(decoded(outcome.produced[1].toLocalFile()).size(), QSize(320, 240)) << "never enlarged";

    // A second run takes the next names.
    EXPECT_EQ(run(compress, {input("small.JPG")}).produced.first().fileName(),
              QStringLiteral("small-compressed-1.jpg"));
}

TEST_F(PipelineTest, ConvertKeepsTheStoredPixelsAndTheirOrientation) {
    writePhoto(input("photo.jpg"), QSize(320, 240), {.orientation = 6});
    const ConvertFormatPipeline convert;
    const PipelineOutcome outcome = run(convert, {input("photo.jpg")});
    ASSERT_FALSE(outcome.failure);
    const QString png = outcome.produced.first().toLocalFile();
    EXPECT_EQ(outcome.produced.first().fileName(), QStringLiteral("photo.png"));
    const QImage image = decoded(png);
    EXPECT_EQ(image.size(), QSize(320, 240));
    EXPECT_TRUE(isRed(image.pixelColor(10, 10)));
    EXPECT_EQ(ImageMetadata::readFile(png).orientation(), 6);
    EXPECT_LT(QFileInfo(png).size(), 320 * 240) << "compressed";
    EXPECT_EQ(ConvertFormatPipeline(QStringLiteral("org.webmproject.webp")).title(),
              QStringLiteral("To WEBP"));
}

TEST_F(PipelineTest, StripEXIFOfAJpegCopiesItsScansUprightWithoutMetadata) {
    for (int orientation : {1, 6}) {
        SCOPED_TRACE(orientation);
        const QString source = input(QStringLiteral("shot%1.jpg").arg(orientation));
        writePhoto(source, QSize(320, 240), {.orientation = orientation, .extras = true});
        const PipelineOutcome outcome = run(StripEXIFPipeline(), {source});
        ASSERT_FALSE(outcome.failure);
        const QString clean = outcome.produced.first().toLocalFile();
        EXPECT_EQ(outcome.produced.first().fileName(), QStringLiteral("shot%1-clean.jpg").arg(orientation));
        const QByteArray bytes = readAll(clean);
        const QList<int> markers = markersBeforeScan(bytes);
        for (int dropped : {0xE1, 0xED, 0xFE})
            EXPECT_FALSE(markers.contains(dropped)) << std::hex << dropped;
        EXPECT_TRUE(markers.contains(0xE2)) << "ICC kept";
        EXPECT_TRUE(bytes.endsWith("\xFF\xD9")) << "nothing after the end marker";
        EXPECT_FALSE(bytes.contains("private"));
        const QImage image = decoded(clean);
        EXPECT_TRUE(isRed(image.pixelColor(image.width() - 10, 10)) == (orientation == 6));
        EXPECT_EQ(image.size(), orientation == 6 ? QSize(240, 320) : QSize(320, 240));
        if (orientation == 1) {
            EXPECT_EQ(scanData(bytes), scanData(readAll(source))) << "not re-encoded";
        }
    }
}

// The segment walk itself, on bytes a photo rarely has: a JFIF thumbnail, fill between
// segments, stuffed bytes, restart markers and fill inside the scan, data after the end.
TEST(JpegLosslessTest, StrippingKeepsEveryScanByteAndFindsTheExifWithoutDecoding) {
    const QByteArray tiff = ImageMetadata().withOrientation(6).exifBlock();
    ASSERT_FALSE(tiff.isEmpty());
    const auto segment = [](char marker, const QByteArray& body) -> QByteArray {
        const qsizetype length = body.size() + 2;
        return QByteArray("\xFF") + marker + char(length >> 8) + char(length & 0xFF) + body;
    };
    const QByteArray jfif =
        segment('\xE0', QByteArray("JFIF\0\x01\x02\0\0\x01\0\x01\x01\x01\xAA\xBB\xCC", 17));
    const QByteArray tables = segment('\xDB', QByteArray("\x00\x01\x02", 3));
    const QByteArray scan = segment('\xDA', QByteArray("\x01\x01\x00\x00\x3F\x00", 6)) +
                            QByteArray("\x12\xFF\x00\x34\xFF\xD0\x56\xFF\xFF\xD7\x78\xFF", 12);
    const QByteArray jpeg = QByteArray("\xFF\xD8", 2) + jfif +
                            segment('\xE1', "Exif" + QByteArray(2, '\0') + tiff) + QByteArray("\xFF\xFF") +
                            segment('\xFE', "private note") + tables + scan +
                            QByteArray("\xFF\xD9trailing", 10);
    const QByteArray expected = QByteArray("\xFF\xD8", 2) +
                                QByteArray("\xFF\xE0\x00\x10JFIF\0\x01\x02\0\0\x01\0\x01\0\0", 18) + tables +
                                scan + QByteArray("\xFF\xD9", 2);

    const auto stripped = imageio::jpeg::stripMetadata(jpeg);
    ASSERT_TRUE(stripped);
    EXPECT_EQ(stripped->toHex(' '), expected.toHex(' '));
    const auto pieces = imageio::jpeg::metadataFreePieces(jpeg);
    ASSERT_TRUE(pieces);
    EXPECT_EQ(pieces->size(), 3) << "SOI, the JFIF header rewritten, then one range to the end marker";
    EXPECT_EQ(imageio::jpeg::exifTiff(jpeg), tiff);
    EXPECT_EQ(ImageMetadata::fromExif(imageio::jpeg::exifTiff(jpeg)).orientation(), 6);

    EXPECT_FALSE(imageio::jpeg::stripMetadata(jpeg.left(jpeg.indexOf("\xFF\xD9")))) << "no end marker";
    EXPECT_FALSE(imageio::jpeg::stripMetadata(QByteArray("\xFF\xD8\xFF\xD0", 4) + tables))
        << "restart outside a scan";
    EXPECT_TRUE(imageio::jpeg::exifTiff(QByteArray("\xFF\xD8", 2) + tables + scan).isEmpty());
}

TEST_F(PipelineTest, HeicIsDecodedUprightAndCompressed) {
    QString error;
    ASSERT_TRUE(imageio::heif::encode(markedPicture(QSize(256, 128)), input("IMG_1.HEIC"), 0.9, {}, &error))
        << error.toStdString();
    const PipelineOutcome outcome = run(CompressImagePipeline(), {input("IMG_1.HEIC")});
    ASSERT_FALSE(outcome.failure) << message(*outcome.failure).toStdString();
    EXPECT_EQ(outcome.produced.first().fileName(), QStringLiteral("IMG_1-compressed.jpg"));
    const QImage image = decoded(outcome.produced.first().toLocalFile());
    EXPECT_EQ(image.size(), QSize(256, 128));
    EXPECT_TRUE(isRed(image.pixelColor(10, 10)));
}

TEST_F(PipelineTest, AFailingInputLeavesNothingOfItsOwnAndEarlierOutputsStay) {
    writePhoto(input("good.jpg"), QSize(64, 64));
    writeFile(input("bad.jpg"), "this is text, not a picture");
    const PipelineOutcome outcome = run(CompressImagePipeline(), {input("good.jpg"), input("bad.jpg")});
    ASSERT_TRUE(outcome.failure);
    EXPECT_EQ(message(*outcome.failure), QStringLiteral("Couldn't read bad.jpg"));
    EXPECT_EQ(outputEntries(), QStringList{QStringLiteral("good-compressed.jpg")});
    EXPECT_EQ(message(*run(StripEXIFPipeline(), {}).failure), QStringLiteral("Nothing to work on"));

    EXPECT_TRUE(run(ImagesToPDFPipeline(), {input("good.jpg"), input("bad.jpg")}).failure);
    EXPECT_EQ(outputEntries(), QStringList{QStringLiteral("good-compressed.jpg")}) << "no half document";
}

TEST_F(PipelineTest, ToPDFMakesOneUprightPagePerImageWithJpegsEmbeddedUnchanged) {
    writePhoto(input("a.jpg"), QSize(320, 240), {.orientation = 6});
    ASSERT_TRUE(markedPicture(QSize(100, 50), true).save(input("b.png")));
    QString error;
    ASSERT_TRUE(imageio::heif::encode(markedPicture(QSize(64, 32)), input("c.heic"), 0.9, {}, &error));
    const PipelineOutcome outcome =
        run(ImagesToPDFPipeline(), {input("a.jpg"), input("b.png"), input("c.heic")});
    ASSERT_FALSE(outcome.failure) << message(*outcome.failure).toStdString();
    ASSERT_EQ(outcome.produced.size(), 1);
    EXPECT_EQ(outcome.produced.first().fileName(), QStringLiteral("Images.pdf"));
    const QString pdf = outcome.produced.first().toLocalFile();

    const QString info = tool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), "1", "-l", "3", pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+3")))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+1 size:\\s+240 x 320"))));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+2 size:\\s+100 x 50"))));
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page\\s+3 size:\\s+64 x 32"))));

    const QStringList list = tool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split('\n');
    ASSERT_GT(list.size(), 3);
    EXPECT_TRUE(list[2].contains(QStringLiteral(" jpeg "))) << list[2].toStdString();
    const QString prefix = outputFolder() + QStringLiteral("/extracted");
    tool(QStringLiteral("pdfimages"), {QStringLiteral("-j"), "-f", "1", "-l", "1", pdf, prefix});
    EXPECT_EQ(readAll(prefix + QStringLiteral("-000.jpg")), readAll(input("a.jpg"))) << "byte for byte";
    // Drawn upright: the stored top-left corner shows at the top right.
    tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), "18", "-png", "-f", "1", "-l", "1", pdf, prefix});
    const QStringList rendered = QDir(outputFolder()).entryList({QStringLiteral("extracted*.png")});
    ASSERT_EQ(rendered.size(), 1);
    const QImage page(outputFolder() + QLatin1Char('/') + rendered.first());
    ASSERT_FALSE(page.isNull());
    EXPECT_TRUE(isRed(page.pixelColor(page.width() - 3, 3)));
    EXPECT_FALSE(isRed(page.pixelColor(2, 3)));
}

// A page's JPEG may be bytes the writer does not own (a mapped file): what keeps them
// alive is held until the page is out, and let go then. The bytes are wiped as they are
// let go, so a page written from them afterwards would carry zeros.
TEST(PdfWriterTest, BorrowedJpegBytesStayUntilThePageIsOutAndAreLetGo) {
    QByteArray encoded;
    {
        QBuffer sink(&encoded);
        ASSERT_TRUE(sink.open(QIODevice::WriteOnly));
        ASSERT_TRUE(markedPicture(QSize(48, 32)).save(&sink, "JPEG"));
    }
    auto storage = std::shared_ptr<QByteArray>(new QByteArray(encoded), [](QByteArray* bytes) {
        bytes->fill('\0');
        delete bytes;
    });
    const std::weak_ptr<QByteArray> watch = storage;
    const QByteArray borrowed = QByteArray::fromRawData(storage->constData(), storage->size());

    QByteArray document;
    QBuffer out(&document);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    {
        PdfWriter pdf(out);
        ASSERT_TRUE(pdf.addJpegPage(borrowed, QSize(48, 32), 6, std::exchange(storage, nullptr)));
        EXPECT_TRUE(pdf.finish());
        EXPECT_EQ(pdf.pageCount(), 1);
    }
    EXPECT_TRUE(watch.expired());
    EXPECT_TRUE(document.contains(encoded)) << "the picture's bytes, unchanged";
    // Turned by orientation 6: the page is as wide as the picture is high.
    EXPECT_TRUE(document.contains("/MediaBox [ 0 0 32 48 ]"));
}
