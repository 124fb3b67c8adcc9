#include "VeskPlatform/Machine/MachineModel.h"

#include <QDir>
#include <QFile>

namespace vesk::machine {

namespace {

// Firmware files are tiny; a bound keeps a strange file from being read whole.
constexpr qint64 maxModelBytes = 4096;

QString readModel(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return decodeModel(file.read(maxModelBytes));
}

} // namespace

QString decodeModel(const QByteArray& bytes) {
    const qsizetype zero = bytes.indexOf('\0');
    QString text = QString::fromUtf8(zero < 0 ? bytes : bytes.left(zero));
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    return text;
}

QString model(const QString& root) {
    const QDir base(root);
    for (const char* relative :
         {"sys/class/dmi/id/product_name", "sys/firmware/devicetree/base/model", "proc/device-tree/model"}) {
        const QString text = readModel(base.filePath(QLatin1String(relative)));
        if (!text.trimmed().isEmpty()) return text;
    }
    return {};
}

} // namespace vesk::machine
