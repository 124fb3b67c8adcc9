#include "VeskPlatform/Thumbnails/PngEncoder.h"

#include <QtEndian>

#include <array>

namespace vesk::png {

namespace {

quint32 crc32(const QByteArray& bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (const char byte : bytes)
        c = table[(c ^ quint8(byte)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

void appendBigEndian(QByteArray& out, quint32 value) {
    char bytes[4];
    qToBigEndian(value, bytes);
    out.append(bytes, 4);
}

// Length, type and data, then the CRC of type and data.
void appendChunk(QByteArray& out, const char* type, const QByteArray& data) {
    appendBigEndian(out, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    out.append(typed);
    appendBigEndian(out, crc32(typed));
}

} // namespace

QByteArray encode(const QImage& image) {
    if (image.isNull()) return {};
    const QImage rgba = image.convertToFormat(QImage::Format_RGBA8888);
    QByteArray header;
    appendBigEndian(header, quint32(rgba.width()));
    appendBigEndian(header, quint32(rgba.height()));
    // 8 bits, colour with alpha, deflate, adaptive filtering, no interlace.
    header.append(char(8)).append(char(6)).append(char(0)).append(char(0)).append(char(0));

    // Each row: filter "none", then its pixels.
    const qsizetype rowBytes = qsizetype(rgba.width()) * 4;
    QByteArray raw;
    raw.reserve((rowBytes + 1) * rgba.height());
    for (int y = 0; y < rgba.height(); ++y) {
        raw.append(char(0));
        raw.append(reinterpret_cast<const char*>(rgba.constScanLine(y)), rowBytes);
    }
    // qCompress gives a zlib stream after its own 4-byte length.
    const QByteArray compressed = qCompress(raw, 6).mid(4);

    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    appendChunk(out, "IHDR", header);
    appendChunk(out, "IDAT", compressed);
    appendChunk(out, "IEND", {});
    return out;
}

} // namespace vesk::png
