#pragma once

#include <QObject>
#include <QString>

#include <optional>

namespace vesk {

// One power source as the system describes it, under the keys the battery logic
// reads. A key the source does not report is absent.
struct PowerSourceDescription {
    static QString acPower() { return QStringLiteral("AC Power"); }
    static QString batteryPower() { return QStringLiteral("Battery Power"); }

    std::optional<double> currentCapacity;   // "Current Capacity", in the unit of maxCapacity
    std::optional<double> maxCapacity;       // "Max Capacity"
    std::optional<bool> isCharging;          // "Is Charging"
    std::optional<bool> isCharged;           // "Is Charged"
    std::optional<QString> powerSourceState; // "Power Source State": acPower() or batteryPower()
    std::optional<int> timeToFullCharge;     // "Time to Full Charge", whole minutes; 0 or less: estimating
    std::optional<int> timeToEmpty;          // "Time to Empty", whole minutes; 0 or less: estimating

    friend bool operator==(const PowerSourceDescription&, const PowerSourceDescription&) = default;
};

// The machine's power sources and its Low Power Mode. Lives on the main thread; the
// signals may still come from another thread in other implementations, so receivers
// connect with a context object.
class PowerSources : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Begins following the system. False when change notifications cannot be had at
    // all (no system bus). Calling it again does nothing.
    virtual bool start() = 0;
    // The first power source (the internal battery); absent when the machine has none
    // or nothing can tell.
    virtual std::optional<PowerSourceDescription> firstPowerSource() const = 0;
    virtual bool isLowPowerModeEnabled() const = 0;
    // True once the first readings are in, or known to be missing. Readings before
    // that are placeholders and must not be compared with later ones.
    virtual bool isReady() const = 0;

Q_SIGNALS:
    // A power source changed, or Low Power Mode's source came or went (its value then is
    // a new starting point); also emitted once when the first readings are in.
    void powerSourcesChanged();
    // Low Power Mode turned on or off (never for the first reading, nor for its source
    // coming or going).
    void lowPowerModeChanged();
};

} // namespace vesk
