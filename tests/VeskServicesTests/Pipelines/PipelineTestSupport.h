#pragma once

#include "VeskServices/Pipelines/DropPipeline.h"
#include "VeskServices/Pipelines/PipelineWorker.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QMutex>
#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>

namespace vesk::test {

// A stored picture whose top-left quarter is red on blue, so a turn shows where it went.
inline QImage markedPicture(const QSize& size, bool alpha = false) {
    QImage image(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(alpha ? QColor(0, 0, 255, 128) : QColor(Qt::blue));
    for (int y = 0; y < size.height() / 2; ++y)
        for (int x = 0; x < size.width() / 2; ++x)
            image.setPixelColor(x, y, Qt::red);
    return image;
}

struct PhotoOptions {
    int orientation = 1;
    bool gps = true;
    bool icc = true;
    // An IPTC caption, a comment and bytes after the end marker.
    bool extras = false;
};

// A camera-like JPEG: Exif with make and date, the orientation, GPS, an sRGB profile.
inline void writePhoto(const QString& path, const QSize& size, const PhotoOptions& options = {}) {
    QImage image = markedPicture(size);
    if (options.icc) image.setColorSpace(QColorSpace::SRgb);
    QImageWriter writer(path, "jpeg");
    writer.setQuality(90);
    ASSERT_TRUE(writer.write(image)) << writer.errorString().toStdString();
    auto file = Exiv2::ImageFactory::open(QFile::encodeName(path).toStdString());
    file->readMetadata();
    Exiv2::ExifData& exif = file->exifData();
    exif["Exif.Image.Make"] = "Testcam";
    exif["Exif.Image.Orientation"] = uint16_t(options.orientation);
    exif["Exif.Photo.DateTimeOriginal"] = "2026:03:05 10:00:00";
    if (options.gps) {
        exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
        exif["Exif.GPSInfo.GPSLatitude"] = std::string("52/1 31/1 0/1");
    }
    if (options.extras) {
        file->iptcData()["Iptc.Application2.Caption"] = "private caption";
        file->setComment("private comment");
    }
    file->writeMetadata();
    if (options.extras) {
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::Append));
        out.write("TRAILER-private");
    }
}

// The markers of a JPEG before its first scan, in order.
inline QList<int> markersBeforeScan(const QByteArray& jpeg) {
    QList<int> markers;
    qsizetype i = 2;
    while (i + 4 <= jpeg.size() && uchar(jpeg[i]) == 0xFF) {
        const int marker = uchar(jpeg[i + 1]);
        markers.append(marker);
        if (marker == 0xDA) break;
        i += 2 + ((qsizetype(uchar(jpeg[i + 2])) << 8) | uchar(jpeg[i + 3]));
    }
    return markers;
}

// From the first scan's header to the end marker.
inline QByteArray scanData(const QByteArray& jpeg) {
    const qsizetype start = jpeg.indexOf("\xFF\xDA");
    const qsizetype end = jpeg.lastIndexOf("\xFF\xD9");
    return start < 0 || end < start ? QByteArray() : jpeg.mid(start, end + 2 - start);
}

inline QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QList<QUrl> fileUrls(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls.append(QUrl::fromLocalFile(path));
    return urls;
}

// An input and an output folder of the test's own; runs pipelines there and records
// their progress.
class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("inputs")));
        ASSERT_TRUE(QDir(m_root.path()).mkpath(QStringLiteral("outputs")));
    }
    QString input(const QString& name) const { return m_root.path() + QStringLiteral("/inputs/") + name; }
    QString output(const QString& name) const { return outputFolder() + QLatin1Char('/') + name; }
    QString outputFolder() const { return m_root.path() + QStringLiteral("/outputs"); }
    // Everything in the output folder, hidden entries included.
    QStringList outputEntries() const {
        return QDir(outputFolder())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

    // Runs the pipeline where the program runs it: in the worker when it runs apart.
    PipelineOutcome run(const DropPipeline& pipeline, const QStringList& paths) {
        PipelineContext context;
        context.outputFolder = outputFolder();
        context.progress.report = [this](double fraction, const QString& detail) {
            QMutexLocker lock(&m_mutex);
            m_progress.append({fraction, detail});
        };
        if (!pipeline.runsApart()) return pipeline.run(fileUrls(paths), context);
        std::optional<PipelineOutcome> outcome;
        m_worker.run(pipeline, fileUrls(paths), outputFolder(),
                     {.progress = context.progress.report,
                      .ended = [&outcome](const PipelineOutcome& ended) { outcome = ended; }});
        EXPECT_TRUE(test::processEventsUntil([&] { return outcome.has_value(); }))
            << "the worker never answered";
        return outcome.value_or(PipelineOutcome{});
    }
    QList<std::pair<double, QString>> progress() {
        QMutexLocker lock(&m_mutex);
        return m_progress;
    }

    // Holds "inputs" and "outputs" only.
    QTemporaryDir m_root;
    QMutex m_mutex;
    QList<std::pair<double, QString>> m_progress;
    PipelineWorker m_worker;
};

} // namespace vesk::test
