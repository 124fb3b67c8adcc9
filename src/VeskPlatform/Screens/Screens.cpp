#include "VeskPlatform/Screens/Screens.h"

#include <QGuiApplication>
#include <QScreen>

#include <array>
#include <cmath>

namespace vesk::screens {

namespace {

constexpr std::array<quint32, 256> makeCrcTable() {
    std::array<quint32, 256> table{};
    for (quint32 i = 0; i < 256; ++i) {
        quint32 c = i;
        for (int bit = 0; bit < 8; ++bit)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

constexpr std::array<quint32, 256> crcTable = makeCrcTable();

} // namespace

quint32 crc32(const QByteArray& data) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : data)
        crc = crcTable[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

quint32 displayID(const QString& name, const QString& manufacturer, const QString& model,
                  const QString& serialNumber) {
    // A separator that cannot occur in the fields keeps ("AB", "C") apart from ("A", "BC").
    const QString key = name + QChar(0x1F) + manufacturer + QChar(0x1F) + model + QChar(0x1F) + serialNumber;
    const quint32 id = crc32(key.toUtf8());
    return id == 0 ? 1 : id;
}

quint32 displayID(const QScreen& screen) {
    return displayID(screen.name(), screen.manufacturer(), screen.model(), screen.serialNumber());
}

ScreenDescription describe(const QScreen& screen) {
    const double refresh = screen.refreshRate();
    return ScreenDescription{
        .displayID = displayID(screen),
        .name = screen.name(),
        .frame = QRectF(screen.geometry()),
        .visibleFrame = QRectF(screen.availableGeometry()),
        .safeAreaTopInset = 0,
        .auxiliaryTopLeftArea = std::nullopt,
        .auxiliaryTopRightArea = std::nullopt,
        .backingScale = screen.devicePixelRatio(),
        .maximumFramesPerSecond = std::isfinite(refresh) && refresh >= 1 ? int(std::lround(refresh)) : 60,
    };
}

QList<QScreen*> all() {
    QList<QScreen*> result = QGuiApplication::screens();
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        result.removeAll(primary);
        result.prepend(primary);
    }
    return result;
}

} // namespace vesk::screens
