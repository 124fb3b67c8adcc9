#include "VeskPlatform/Display/SysfsBacklight.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace vesk {

std::optional<int> readSysfsInt(const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    // sysfs reports a page as the size of every attribute: read a bounded prefix instead.
    const QByteArray text = file.read(64).trimmed();
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < 0) return std::nullopt;
    return value;
}

std::optional<int> SysfsBacklight::readRaw() const {
    return readSysfsInt(path + u'/' + valueFile);
}

namespace {

QStringList deviceNames(const QString& classFolder) {
    QDir dir(classFolder);
    // Entries of a class folder are links to the devices: follow them.
    QStringList names = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    return names;
}

std::optional<SysfsBacklight> openDevice(const QString& sysRoot, const QString& subsystem,
                                         const QString& name) {
    SysfsBacklight device;
    device.subsystem = subsystem;
    device.name = name;
    device.path = sysRoot + QStringLiteral("/class/") + subsystem + u'/' + name;
    const std::optional<int> max = readSysfsInt(device.path + QStringLiteral("/max_brightness"));
    if (!max || *max <= 0) return std::nullopt;
    device.maxRaw = *max;
    device.valueFile = QStringLiteral("brightness");
    if (subsystem == QLatin1String("backlight")) {
        // actual_brightness is what the hardware reports, but some drivers fill it in a
        // different scale (amdgpu) or not at all: those are read from brightness.
        const std::optional<int> actual = readSysfsInt(device.path + QStringLiteral("/actual_brightness"));
        if (actual && *actual <= device.maxRaw && !name.startsWith(QLatin1String("amdgpu_bl")))
            device.valueFile = QStringLiteral("actual_brightness");
    }
    return device;
}

int typeRank(const QString& devicePath) {
    QFile file(devicePath + QStringLiteral("/type"));
    if (!file.open(QIODevice::ReadOnly)) return 3;
    const QByteArray type = file.read(32).trimmed();
    if (type == "firmware") return 0;
    if (type == "platform") return 1;
    if (type == "raw") return 2;
    return 3;
}

} // namespace

std::optional<SysfsBacklight> SysfsBacklight::findDisplay(const QString& sysRoot) {
    const QString folder = sysRoot + QStringLiteral("/class/backlight");
    std::optional<SysfsBacklight> best;
    int bestRank = 0;
    for (const QString& name : deviceNames(folder)) {
        std::optional<SysfsBacklight> device = openDevice(sysRoot, QStringLiteral("backlight"), name);
        if (!device) continue;
        const int rank = typeRank(device->path);
        if (!best || rank < bestRank) {
            best = std::move(device);
            bestRank = rank;
        }
    }
    return best;
}

std::optional<SysfsBacklight> SysfsBacklight::findKeyboard(const QString& sysRoot) {
    const QString folder = sysRoot + QStringLiteral("/class/leds");
    for (const QString& name : deviceNames(folder)) {
        if (!name.contains(QLatin1String("kbd_backlight"))) continue;
        if (std::optional<SysfsBacklight> device = openDevice(sysRoot, QStringLiteral("leds"), name))
            return device;
    }
    return std::nullopt;
}

} // namespace vesk
