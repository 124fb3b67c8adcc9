#pragma once

#include "VeskPlatform/Keyboard/KeyboardBacklight.h"

#include <QObject>

#include <mutex>

class QDBusServiceWatcher;

namespace vesk {

// UPower's org.freedesktop.UPower.KbdBacklight on the system bus. The level is kept here
// and follows UPower's BrightnessChanged signal, so reading it costs nothing and nobody
// polls the daemon. Our own writes move the kept level at once; their echoes are not
// applied while writes are on their way, so quick presses step on from each other.
// UPower starting later or restarting is followed. Lives on the main thread.
class UPowerKeyboardBacklight final : public QObject, public KeyboardBacklight {
    Q_OBJECT
public:
    explicit UPowerKeyboardBacklight(QObject* parent = nullptr);
    ~UPowerKeyboardBacklight() override;

    bool isAvailable() const override;
    bool reportsChanges() const override { return true; }
    std::optional<double> read() const override;
    bool write(double level) override;
    bool canWrite() const override { return isAvailable(); }

    static constexpr int timeoutMs = 2000;

private Q_SLOTS:
    void onBrightnessChanged(int value);

private:
    void probe();
    void fetchBrightness(quint64 generation, int max);
    void refresh();
    void setUnavailable();

    mutable std::mutex m_mutex; // guards the level for readers on other threads
    bool m_available = false;
    int m_max = 0;
    int m_raw = 0;

    int m_inFlight = 0;
    quint64 m_generation = 0; // answers to an older probe are dropped
    QDBusServiceWatcher* m_watcher = nullptr;
};

} // namespace vesk
