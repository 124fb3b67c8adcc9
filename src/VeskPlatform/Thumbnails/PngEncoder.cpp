#include "VeskPlatform/Thumbnails/PngEncoder.h"

#include "VeskPlatform/Screens/Screens.h"

#include <QtEndian>

namespace vesk::png {

namespace {

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
    appendBigEndian(out, screens::crc32(typed));
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
