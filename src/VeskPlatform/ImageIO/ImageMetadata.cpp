#include "VeskPlatform/ImageIO/ImageMetadata.h"

#include <QFile>

#include <exiv2/exiv2.hpp>

#include <mutex>
#include <string_view>

namespace vesk::imageio {

namespace {

void initialise() {
    static std::once_flag once;
    std::call_once(once, [] {
        // XMP's parser must be set up once before threads use exiv2.
        Exiv2::XmpParser::initialize();
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
    });
}

// Entries of the first IFD that describe the source's own pixel layout, colour profile,
// embedded XMP or Photoshop data: none of it is true of the output, or on the list.
constexpr std::string_view layoutTags[] = {
    "ImageWidth",
    "ImageLength",
    "BitsPerSample",
    "Compression",
    "PhotometricInterpretation",
    "StripOffsets",
    "SamplesPerPixel",
    "RowsPerStrip",
    "StripByteCounts",
    "PlanarConfiguration",
    "TileWidth",
    "TileLength",
    "TileOffsets",
    "TileByteCounts",
    "SubIFDs",
    "ExtraSamples",
    "SampleFormat",
    "Predictor",
    "JPEGInterchangeFormat",
    "JPEGInterchangeFormatLength",
    "YCbCrSubSampling",
    "YCbCrPositioning",
    "XMLPacket",
    "IPTCNAA",
    "InterColorProfile",
    "ImageResources",
    "NewSubfileType",
    "SubfileType",
    "FillOrder",
    "ExifTag",
    "GPSTag",
    "PrintImageMatching",
    "DNGPrivateData",
};

bool carried(const Exiv2::Exifdatum& datum) {
    const std::string group = datum.groupName();
    const std::string tag = datum.tagName();
    if (group == "Photo") return tag != "MakerNote" && tag != "InteroperabilityTag";
    if (group == "GPSInfo") return true;
    if (group != "Image") return false;
    for (std::string_view layout : layoutTags)
        if (tag == layout) return false;
    return true;
}

std::string encodedPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

} // namespace

struct ImageMetadata::Data {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
};

ImageMetadata::ImageMetadata() : d(std::make_shared<Data>()) {}
ImageMetadata::~ImageMetadata() = default;
ImageMetadata::ImageMetadata(const ImageMetadata&) = default;
ImageMetadata& ImageMetadata::operator=(const ImageMetadata&) = default;

namespace {

void select(const Exiv2::ExifData& from, Exiv2::ExifData& into) {
    for (const Exiv2::Exifdatum& datum : from)
        if (carried(datum)) into.add(datum);
}

} // namespace

ImageMetadata ImageMetadata::readFile(const QString& path) {
    initialise();
    ImageMetadata result;
    try {
        auto image = Exiv2::ImageFactory::open(encodedPath(path));
        if (!image.get()) return result;
        image->readMetadata();
        select(image->exifData(), result.d->exif);
        result.d->iptc = image->iptcData();
    } catch (const std::exception&) {
        // Unknown types and damaged metadata alike: there is nothing to carry over.
        return ImageMetadata();
    }
    return result;
}

ImageMetadata ImageMetadata::fromExif(const QByteArray& tiff) {
    initialise();
    ImageMetadata result;
    if (tiff.isEmpty()) return result;
    try {
        Exiv2::ExifData all;
        Exiv2::ExifParser::decode(all, reinterpret_cast<const Exiv2::byte*>(tiff.constData()),
                                  static_cast<uint32_t>(tiff.size()));
        select(all, result.d->exif);
    } catch (const std::exception&) {
        return ImageMetadata();
    }
    return result;
}

bool ImageMetadata::isEmpty() const {
    return d->exif.empty() && d->iptc.empty();
}

int ImageMetadata::orientation() const {
    const auto it = d->exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation"));
    if (it == d->exif.end() || it->count() < 1) return 1;
    const long value = it->toLong();
    return value >= 1 && value <= 8 ? int(value) : 1;
}

bool ImageMetadata::has(const QString& key) const {
    const std::string k = key.toStdString();
    try {
        if (key.startsWith(QLatin1String("Iptc.")))
            return d->iptc.findKey(Exiv2::IptcKey(k)) != d->iptc.end();
        return d->exif.findKey(Exiv2::ExifKey(k)) != d->exif.end();
    } catch (const std::exception&) {
        return false;
    }
}

QString ImageMetadata::value(const QString& key) const {
    const std::string k = key.toStdString();
    try {
        if (key.startsWith(QLatin1String("Iptc."))) {
            const auto it = d->iptc.findKey(Exiv2::IptcKey(k));
            return it == d->iptc.end() ? QString() : QString::fromStdString(it->toString());
        }
        const auto it = d->exif.findKey(Exiv2::ExifKey(k));
        return it == d->exif.end() ? QString() : QString::fromStdString(it->toString());
    } catch (const std::exception&) {
        return {};
    }
}

ImageMetadata ImageMetadata::withOrientation(int orientation) const {
    ImageMetadata copy;
    *copy.d = *d;
    // An image without Exif stays without: orientation 1 is what a viewer assumes.
    if (copy.d->exif.empty() && orientation == 1) return copy;
    copy.d->exif["Exif.Image.Orientation"] = uint16_t(orientation);
    return copy;
}

ImageMetadata ImageMetadata::withPixelSize(const QSize& size) const {
    ImageMetadata copy;
    *copy.d = *d;
    auto& exif = copy.d->exif;
    if (exif.empty()) return copy;
    exif["Exif.Photo.PixelXDimension"] = uint32_t(size.width());
    exif["Exif.Photo.PixelYDimension"] = uint32_t(size.height());
    return copy;
}

bool ImageMetadata::writeInto(const QString& path, QString* error) const {
    initialise();
    try {
        auto image = Exiv2::ImageFactory::open(encodedPath(path));
        if (!image.get()) throw Exiv2::Error(Exiv2::kerFileOpenFailed, encodedPath(path));
        // Reading first keeps what the writer put there (the colour profile).
        image->readMetadata();
        image->setExifData(d->exif);
        image->setIptcData(d->iptc);
        image->writeMetadata();
    } catch (const std::exception& e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
        return false;
    }
    return true;
}

QByteArray ImageMetadata::exifBlock() const {
    if (d->exif.empty()) return {};
    try {
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, d->exif);
        return QByteArray(reinterpret_cast<const char*>(blob.data()), qsizetype(blob.size()));
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace vesk::imageio
