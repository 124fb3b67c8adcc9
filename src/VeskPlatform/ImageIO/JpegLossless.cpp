#include "VeskPlatform/ImageIO/JpegLossless.h"

#include <turbojpeg.h>

#include <cstring>
#include <memory>

namespace vesk::imageio::jpeg {

namespace {

struct HandleDeleter {
    void operator()(void* handle) const { tjDestroy(handle); }
};
using Handle = std::unique_ptr<void, HandleDeleter>;

const unsigned char* bytes(const QByteArray& data) {
    return reinterpret_cast<const unsigned char*>(data.constData());
}

bool startsWith(const QByteArray& data, qsizetype at, const char* text, qsizetype length) {
    return at + length <= data.size() && std::memcmp(data.constData() + at, text, size_t(length)) == 0;
}

} // namespace

std::optional<Header> readHeader(const QByteArray& jpeg) {
    Handle handle(tjInitDecompress());
    if (!handle || jpeg.isEmpty()) return std::nullopt;
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    if (tjDecompressHeader3(handle.get(), bytes(jpeg), static_cast<unsigned long>(jpeg.size()), &width,
                            &height, &subsampling, &colourspace) != 0)
        return std::nullopt;
    return Header{QSize(width, height), colourspace != TJCS_CMYK && colourspace != TJCS_YCCK};
}

std::optional<QByteArray> transform(const QByteArray& jpeg, int orientation) {
    static constexpr int operations[] = {TJXOP_NONE,   TJXOP_NONE,       TJXOP_HFLIP,
                                         TJXOP_ROT180, TJXOP_VFLIP,      TJXOP_TRANSPOSE,
                                         TJXOP_ROT90,  TJXOP_TRANSVERSE, TJXOP_ROT270};
    if (orientation < 2 || orientation > 8) return std::nullopt;
    Handle handle(tjInitTransform());
    if (!handle) return std::nullopt;
    tjtransform step{};
    step.op = operations[orientation];
    step.options = TJXOPT_PERFECT;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int status = tjTransform(handle.get(), bytes(jpeg), static_cast<unsigned long>(jpeg.size()), 1,
                                   &out, &outSize, &step, 0);
    std::unique_ptr<unsigned char, decltype(&tjFree)> owned(out, &tjFree);
    if (status != 0 || !out) return std::nullopt;
    return QByteArray(reinterpret_cast<const char*>(out), qsizetype(outSize));
}

std::optional<QList<Piece>> metadataFreePieces(const QByteArray& jpeg) {
    const char* data = jpeg.constData();
    const qsizetype size = jpeg.size();
    const auto at = [data](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    if (size < 4 || at(0) != 0xFF || at(1) != 0xD8) return std::nullopt;
    QList<Piece> pieces;
    const auto keep = [&pieces](qsizetype offset, qsizetype length) {
        if (!pieces.isEmpty() && pieces.last().bytes.isEmpty() &&
            pieces.last().offset + pieces.last().length == offset)
            pieces.last().length += length;
        else
            pieces.append(Piece{offset, length, {}});
    };
    keep(0, 2);
    qsizetype i = 2;
    bool scanning = false;
    while (i < size) {
        if (scanning) {
            // Entropy-coded data runs to the next marker that is not a stuffed zero,
            // a restart marker or fill.
            const qsizetype start = i;
            for (;;) {
                const void* found =
                    i + 1 < size ? std::memchr(data + i, 0xFF, size_t(size - 1 - i)) : nullptr;
                if (!found) return std::nullopt;
                i = static_cast<const char*>(found) - data;
                const unsigned char next = at(i + 1);
                if (next != 0x00 && !(next >= 0xD0 && next <= 0xD7) && next != 0xFF) break;
                ++i;
            }
            keep(start, i - start);
            scanning = false;
        }
        if (at(i) != 0xFF) return std::nullopt;
        while (i < size && at(i) == 0xFF)
            ++i;
        if (i >= size) return std::nullopt;
        const unsigned char marker = at(i++);
        if (marker == 0xD9) {
            keep(i - 2, 2);
            return pieces;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) return std::nullopt;
        if (i + 2 > size) return std::nullopt;
        const qsizetype length = (qsizetype(at(i)) << 8) | at(i + 1);
        if (length < 2 || i + length > size) return std::nullopt;
        const qsizetype body = i + 2;
        const qsizetype end = i + length;
        bool kept = true;
        if (marker == 0xE0) {
            kept = startsWith(jpeg, body, "JFIF\0", 5) && length >= 16;
            if (kept) {
                // The JFIF header without its thumbnail.
                QByteArray segment(data + i - 2, 2 + 16);
                segment[2] = 0;
                segment[3] = 16;
                segment[2 + 14] = 0;
                segment[2 + 15] = 0;
                pieces.append(Piece{0, segment.size(), segment});
                i = end;
                continue;
            }
        } else if (marker == 0xE2) {
            kept = startsWith(jpeg, body, "ICC_PROFILE\0", 12);
        } else if (marker == 0xEE) {
            kept = startsWith(jpeg, body, "Adobe", 5);
        } else if ((marker >= 0xE1 && marker <= 0xEF) || marker == 0xFE) {
            kept = false;
        }
        // The marker without the fill before it.
        if (kept) keep(i - 2, length + 2);
        i = end;
        if (marker == 0xDA) scanning = true;
    }
    return std::nullopt;
}

std::optional<QByteArray> stripMetadata(const QByteArray& jpeg) {
    const auto pieces = metadataFreePieces(jpeg);
    if (!pieces) return std::nullopt;
    QByteArray out;
    qsizetype total = 0;
    for (const Piece& piece : *pieces)
        total += piece.length;
    out.reserve(total);
    for (const Piece& piece : *pieces)
        out.append(piece.bytes.isEmpty() ? QByteArrayView(jpeg.constData() + piece.offset, piece.length)
                                         : QByteArrayView(piece.bytes));
    return out;
}

QByteArray exifTiff(const QByteArray& jpeg) {
    const qsizetype size = jpeg.size();
    const auto at = [&jpeg](qsizetype i) { return static_cast<unsigned char>(jpeg[i]); };
    if (size < 4 || at(0) != 0xFF || at(1) != 0xD8) return {};
    qsizetype i = 2;
    while (i + 4 <= size && at(i) == 0xFF) {
        while (i < size && at(i) == 0xFF)
            ++i;
        if (i + 3 > size) return {};
        const unsigned char marker = at(i++);
        // The scans, the end or markers without a length: no metadata follows.
        if (marker == 0xDA || marker == 0xD9 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            return {};
        const qsizetype length = (qsizetype(at(i)) << 8) | at(i + 1);
        if (length < 2 || i + length > size) return {};
        if (marker == 0xE1 && length > 8 && startsWith(jpeg, i + 2, "Exif\0\0", 6))
            return jpeg.mid(i + 8, length - 8);
        i += length;
    }
    return {};
}

} // namespace vesk::imageio::jpeg
