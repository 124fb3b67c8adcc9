#pragma once

#include <QByteArray>
#include <QList>
#include <QSize>

#include <optional>

// JPEG work that never decodes the picture: reading its header, turning it by an Exif
// orientation with libturbojpeg's lossless transforms, and dropping its metadata.
namespace vesk::imageio::jpeg {

struct Header {
    QSize size;
    // Grey or RGB (YCbCr) pictures; CMYK and YCCK are neither.
    bool greyOrRGB = true;
};
// Absent when the data is no JPEG libturbojpeg can read.
std::optional<Header> readHeader(const QByteArray& jpeg);

// The picture turned upright for an Exif orientation (2 to 8), every marker kept;
// absent when that cannot be done exactly (the size is no whole number of blocks).
std::optional<QByteArray> transform(const QByteArray& jpeg, int orientation);

// The same picture without metadata: the JFIF header (without its thumbnail), the ICC
// profile, Adobe's colour marker, the tables, the frame and the scans, unchanged, and
// nothing after the end marker. Absent when the data is not a well-formed JPEG.
std::optional<QByteArray> stripMetadata(const QByteArray& jpeg);

// stripMetadata's result as the pieces it is made of, in order, so that a caller can
// write it straight from the source's bytes: a range of the source, or bytes of its own
// (a JFIF header rewritten). Adjacent ranges are one piece.
struct Piece {
    qsizetype offset = 0;
    qsizetype length = 0;
    // When not empty, the piece's bytes instead of the range.
    QByteArray bytes;
};
std::optional<QList<Piece>> metadataFreePieces(const QByteArray& jpeg);

// The Exif block of the first "Exif" APP1 segment before the scans (a TIFF structure),
// empty when there is none.
QByteArray exifTiff(const QByteArray& jpeg);

} // namespace vesk::imageio::jpeg
