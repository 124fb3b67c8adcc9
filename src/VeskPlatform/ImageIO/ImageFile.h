#pragma once

#include "VeskPlatform/ImageIO/ImageMetadata.h"

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// Reading and writing whole image files: Qt's image readers and writers for the common
// types, libheif for HEIC and HEIF, exiv2 for the metadata that travels with them.
namespace vesk::imageio {

struct Picture {
    QImage image;
    // The file's metadata (for HEIF, from its Exif block).
    ImageMetadata metadata;
    // The pixels were turned upright (asked for, or HEIF, which always is).
    bool turned = false;
};

// Decodes the first image of a file. With `maxDimension` the larger side of the image as
// stored is at most that many pixels (a JPEG is decoded at a reduced scale; nothing is
// enlarged). With `upright` the pixels are turned by the Exif orientation. Absent (with
// the reason) when the file holds no image that can be decoded.
std::optional<Picture> readImage(const QString& path, std::optional<double> maxDimension, bool upright,
                                 QString* error = nullptr);

// The file starts like a HEIF container.
bool isHeifFile(const QString& path);

// The image turned by an Exif orientation (1 to 8).
QImage oriented(const QImage& image, int orientation);
// The size an image of `stored` size has once turned by the orientation.
QSize orientedSize(const QSize& stored, int orientation);

// The writer's format for a uniform type ("jpeg", "png", "tiff", "webp", "bmp" or
// "heif"); empty for types no writer here can write (GIF among them).
QByteArray writerFormat(const QString& typeIdentifier);
// Whether the format loses detail (a quality applies to it).
bool isLossy(const QByteArray& format);

// Writes the image as `format`, with the quality (0 to 1) for lossy formats, its colour
// profile, and `metadata` where the format can hold it; never the image's text entries.
bool writeImage(const QImage& image, const QString& path, const QByteArray& format, double quality,
                const ImageMetadata& metadata, QString* error = nullptr);

} // namespace vesk::imageio
