#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

#include <memory>

namespace vesk::imageio {

// The metadata a re-encoded image may carry over from its source: Exif's image, photo
// and GPS entries and the IPTC record, never the thumbnail, the maker note or the
// entries that describe how the source's pixels were stored. Read and written with
// exiv2; a value, safe to hand between threads.
class ImageMetadata {
public:
    ImageMetadata();
    ~ImageMetadata();
    ImageMetadata(const ImageMetadata&);
    ImageMetadata& operator=(const ImageMetadata&);

    // What a file holds; empty when it holds nothing or cannot be read.
    static ImageMetadata readFile(const QString& path);
    // An Exif block as HEIF keeps it: a TIFF structure, the 4-byte offset removed.
    static ImageMetadata fromExif(const QByteArray& tiff);

    bool isEmpty() const;
    // The Exif orientation (1 to 8); 1 when absent or out of range.
    int orientation() const;
    bool has(const QString& key) const;
    QString value(const QString& key) const;

    ImageMetadata withOrientation(int orientation) const;
    // The pixel dimensions written are the output's.
    ImageMetadata withPixelSize(const QSize& size) const;

    // Writes the metadata into an image file in place, replacing what it held and
    // keeping its colour profile. False (with the reason) for types that hold none.
    bool writeInto(const QString& path, QString* error) const;
    // The Exif entries as a TIFF structure (for HEIF); empty when there are none.
    QByteArray exifBlock() const;

private:
    struct Data;
    std::shared_ptr<Data> d;
};

} // namespace vesk::imageio
