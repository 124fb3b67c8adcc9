#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

// HEIC and HEIF through libheif: Qt reads and writes neither.
namespace vesk::imageio::heif {

// Whether the file's first bytes say it is a HEIF container libheif can read.
bool isHeif(const QByteArray& head);

struct Decoded {
    // The primary image with the file's own rotation and mirror applied.
    QImage image;
    // Its Exif block as a TIFF structure (the block's offset skipped); empty when none.
    QByteArray exif;
};
// Absent (with the reason) when the file cannot be decoded.
std::optional<Decoded> decode(const QString& path, QString* error);

// Writes `image` (its colour profile included) with HEVC at `quality` (0 to 1), and
// `exif` (a TIFF structure) when not empty.
bool encode(const QImage& image, const QString& path, double quality, const QByteArray& exif, QString* error);

} // namespace vesk::imageio::heif
