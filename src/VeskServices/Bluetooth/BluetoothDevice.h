#pragma once

#include <QString>

#include <optional>

namespace vesk {

// A Bluetooth device as the notch shows it.
struct BluetoothDevice {
    QString address; // as the system writes it, or a fresh identifier when it has none
    QString name;
    // Fractions 0...1: a single battery, left and right earbuds, the charging case.
    std::optional<double> batteryPercent;
    std::optional<double> batteryLeft;
    std::optional<double> batteryRight;
    std::optional<double> batteryCase;
    QString symbol = QStringLiteral("airpods.gen3");

    // The lowest level of the device itself (the case does not count).
    std::optional<double> lowestBattery() const {
        std::optional<double> lowest;
        for (const auto& level : {batteryPercent, batteryLeft, batteryRight})
            if (level && (!lowest || *level < *lowest)) lowest = level;
        return lowest;
    }

    friend bool operator==(const BluetoothDevice&, const BluetoothDevice&) = default;
};

// A device connecting, disconnecting or running low.
class BluetoothEvent {
public:
    enum class Kind {
        connected,    // device()
        disconnected, // device()
        lowBattery,   // device() and its lowest level()
    };

    static BluetoothEvent connected(BluetoothDevice device) {
        return {Kind::connected, std::move(device), 0};
    }
    static BluetoothEvent disconnected(BluetoothDevice device) {
        return {Kind::disconnected, std::move(device), 0};
    }
    static BluetoothEvent lowBattery(BluetoothDevice device, double level) {
        return {Kind::lowBattery, std::move(device), level};
    }

    Kind kind() const { return m_kind; }
    const BluetoothDevice& device() const { return m_device; }
    // The level that triggered lowBattery; 0 for the others.
    double level() const { return m_level; }

    friend bool operator==(const BluetoothEvent&, const BluetoothEvent&) = default;

private:
    BluetoothEvent(Kind kind, BluetoothDevice device, double level)
        : m_kind(kind), m_device(std::move(device)), m_level(level) {}

    Kind m_kind;
    BluetoothDevice m_device;
    double m_level;
};

} // namespace vesk
