#include "VeskPlatform/ImageIO/ImageFile.h"

#include "VeskPlatform/ImageIO/Heif.h"

#include <QColorSpace>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTransform>

#include <algorithm>
#include <cmath>

namespace vesk::imageio {

namespace {

// Photos above Qt's default limit (about 67 megapixels) are still photos.
constexpr int allocationLimitMiB = 1024;

// The same pixels without the source's text entries, which writers would copy out.
QImage withoutText(const QImage& image) {
    QImage bare(image.constBits(), image.width(), image.height(), image.bytesPerLine(), image.format());
    bare.setColorTable(image.colorTable());
    bare.setColorSpace(image.colorSpace());
    bare.setDotsPerMeterX(image.dotsPerMeterX());
    bare.setDotsPerMeterY(image.dotsPerMeterY());
    return bare;
}

QSize limited(const QSize& size, double maxDimension) {
    const int larger = std::max(size.width(), size.height());
    if (larger <= maxDimension || larger <= 0) return size;
    const double scale = maxDimension / larger;
    return QSize(std::max(1, int(std::lround(size.width() * scale))),
                 std::max(1, int(std::lround(size.height() * scale))));
}

} // namespace

bool isHeifFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && heif::isHeif(file.read(64));
}

std::optional<Picture> readImage(const QString& path, std::optional<double> maxDimension, bool upright,
                                 QString* error) {
    if (isHeifFile(path)) {
        auto decoded = heif::decode(path, error);
        if (!decoded) return std::nullopt;
        Picture picture{std::move(decoded->image), ImageMetadata::fromExif(decoded->exif), true};
        if (maxDimension) {
            const QSize size = limited(picture.image.size(), *maxDimension);
            if (size != picture.image.size())
                picture.image = picture.image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        }
        return picture;
    }

    QImageReader reader(path);
    reader.setAllocationLimit(allocationLimitMiB);
    reader.setAutoTransform(false);
    if (maxDimension) {
        // Set before reading, so a JPEG is decoded at 1/2, 1/4 or 1/8 of its size.
        const QSize stored = reader.size();
        if (stored.isValid()) {
            const QSize size = limited(stored, *maxDimension);
            if (size != stored) reader.setScaledSize(size);
        }
    }
    QImage image = reader.read();
    if (image.isNull()) {
        if (error) *error = reader.errorString();
        return std::nullopt;
    }
    Picture picture{std::move(image), ImageMetadata::readFile(path), false};
    if (upright) {
        picture.image = oriented(picture.image, picture.metadata.orientation());
        picture.turned = true;
    }
    return picture;
}

QImage oriented(const QImage& image, int orientation) {
    // Qt's rotation drops the colour space.
    const auto turned = [&image](double degrees) {
        QImage result = image.transformed(QTransform().rotate(degrees));
        result.setColorSpace(image.colorSpace());
        return result;
    };
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return turned(90).mirrored(true, false);
    case 6:
        return turned(90);
    case 7:
        return turned(90).mirrored(false, true);
    case 8:
        return turned(270);
    default:
        return image;
    }
}

QSize orientedSize(const QSize& stored, int orientation) {
    return orientation >= 5 && orientation <= 8 ? stored.transposed() : stored;
}

QByteArray writerFormat(const QString& typeIdentifier) {
    struct Entry {
        const char* identifier;
        const char* format;
    };
    static constexpr Entry entries[] = {
        {"public.jpeg", "jpeg"},          {"public.png", "png"},        {"public.tiff", "tiff"},
        {"org.webmproject.webp", "webp"}, {"com.microsoft.bmp", "bmp"}, {"public.heic", "heif"},
        {"public.heif", "heif"},
    };
    for (const Entry& entry : entries)
        if (typeIdentifier == QLatin1String(entry.identifier)) return entry.format;
    return {};
}

bool isLossy(const QByteArray& format) {
    return format == "jpeg" || format == "webp" || format == "heif";
}

bool writeImage(const QImage& image, const QString& path, const QByteArray& format, double quality,
                const ImageMetadata& metadata, QString* error) {
    if (format == "heif") return heif::encode(image, path, quality, metadata.exifBlock(), error);
    // Our own file, flushed and checked: the writer's own leaves a write that failed at
    // the last flush (a full disk) unsaid, with an empty or cut file.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        if (error) *error = file.errorString();
        return false;
    }
    QImageWriter writer(&file, format);
    // Qt reads a PNG's quality as its compression level: only lossy types get one.
    if (isLossy(format)) writer.setQuality(std::clamp(int(std::lround(quality * 100)), 0, 100));
    if (!writer.write(withoutText(image))) {
        if (error) *error = writer.errorString();
        return false;
    }
    if (!file.flush()) {
        if (error) *error = file.errorString();
        return false;
    }
    file.close();
    // BMP holds no metadata.
    if (metadata.isEmpty() || format == "bmp") return true;
    return metadata.writeInto(path, error);
}

} // namespace vesk::imageio
