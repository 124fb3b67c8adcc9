#pragma once

#include <QString>

#include <optional>

namespace vesk {

// One brightness device in sysfs: a display backlight (/sys/class/backlight/<name>) or a
// LED (/sys/class/leds/<name>). Devices can vanish at any time, so every read may fail.
struct SysfsBacklight {
    QString subsystem; // "backlight" or "leds", as logind names them
    QString name;
    QString path;      // the device's folder
    QString valueFile; // the file the current value is read from
    int maxRaw = 0;

    std::optional<int> readRaw() const;

    // The backlight of the built-in panel under `sysRoot` (normally "/sys"), chosen as the
    // kernel documents: a firmware interface first, then a platform one, then raw.
    static std::optional<SysfsBacklight> findDisplay(const QString& sysRoot);
    // The first keyboard backlight LED ("*kbd_backlight*") under `sysRoot`.
    static std::optional<SysfsBacklight> findKeyboard(const QString& sysRoot);

    friend bool operator==(const SysfsBacklight&, const SysfsBacklight&) = default;
};

// A small non-negative integer from a sysfs attribute file; none when unreadable.
std::optional<int> readSysfsInt(const QString& filePath);

} // namespace vesk
