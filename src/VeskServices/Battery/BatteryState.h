#pragma once

#include <optional>
#include <variant>

namespace vesk {

// The machine's power as last read.
struct BatteryState {
    double percentage = 1.0; // a fraction; 1.0 is full
    bool isCharging = false;
    bool isPluggedIn = false; // on external power
    bool isCharged = false;
    bool lowPowerMode = false;
    // Seconds to empty on battery, or to full while charging; absent while the system
    // has no estimate.
    std::optional<double> timeRemaining;
    bool isPresent = false;

    friend bool operator==(const BatteryState&, const BatteryState&) = default;
};

// A change of the power situation worth telling the user about.
class BatteryEvent {
public:
    enum class Kind {
        pluggedIn,    // external power connected; percentage()
        unplugged,    // external power removed; percentage()
        lowBattery,   // the level fell to the threshold; percentage()
        lowPowerMode, // Low Power Mode changed; isOn()
        charged,      // the battery became fully charged
    };

    static BatteryEvent pluggedIn(double percentage) { return {Kind::pluggedIn, percentage}; }
    static BatteryEvent unplugged(double percentage) { return {Kind::unplugged, percentage}; }
    static BatteryEvent lowBattery(double percentage) { return {Kind::lowBattery, percentage}; }
    static BatteryEvent lowPowerMode(bool isOn) { return {Kind::lowPowerMode, isOn}; }
    static BatteryEvent charged() { return {Kind::charged, std::monostate()}; }

    Kind kind() const { return m_kind; }
    // The percentage of pluggedIn, unplugged and lowBattery; 0 for the others.
    double percentage() const {
        if (const auto* value = std::get_if<double>(&m_value)) return *value;
        return 0;
    }
    // The new value of lowPowerMode; false for the others.
    bool isOn() const {
        if (const auto* value = std::get_if<bool>(&m_value)) return *value;
        return false;
    }

    friend bool operator==(const BatteryEvent&, const BatteryEvent&) = default;

private:
    using Value = std::variant<std::monostate, double, bool>;
    BatteryEvent(Kind kind, Value value) : m_kind(kind), m_value(value) {}

    Kind m_kind;
    Value m_value;
};

} // namespace vesk
