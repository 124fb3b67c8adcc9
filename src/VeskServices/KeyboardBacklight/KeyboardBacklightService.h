#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Keyboard/KeyboardBacklight.h"

#include <QObject>

#include <memory>
#include <optional>
#include <utility>

namespace vesk {

// The keyboard backlight's level. While started it publishes the level whenever it moved
// by more than 0.004: following the backend's own change reports where it has them
// (UPower), else re-reading every 0.2 s on its queue (a sysfs LED). The backlight may be
// found only after construction (UPower answers later or starts later): a started
// service begins following it then.
class KeyboardBacklightService final : public QObject {
    Q_OBJECT
public:
    // With no layer given, the machine's own (UPower, else sysfs and logind).
    // `queueScheduler` runs the queue on another scheduler (a manual one in tests).
    explicit KeyboardBacklightService(std::unique_ptr<KeyboardBacklight> backlight = nullptr,
                                      Scheduler* queueScheduler = nullptr, QObject* parent = nullptr);
    ~KeyboardBacklightService() override;

    static constexpr double pollInterval = 0.2;

    // Whether a backlight can be read now.
    bool isAvailable() const;
    // Whether `set` can change anything. The media-key handling consumes illumination
    // keys only while this holds.
    bool canSet() const;

    // Newest 2 levels; never finished.
    const NewestStream<double>& levels() const { return m_levels; }

    // The level 0...1, or none. Any thread.
    std::optional<double> read() const;
    // Clamps `level` to 0...1 (not-a-number becomes 0) and starts setting it; false when
    // it cannot be issued. Main thread.
    bool set(double level);

    void start();
    void stop();

Q_SIGNALS:
    // isAvailable or canSet may have changed (main thread).
    void availabilityChanged();

private:
    void follow();
    void unfollow();
    void consider(std::optional<double> reading);

    std::unique_ptr<KeyboardBacklight> m_backlight;
    NewestStream<double> m_levels{2};
    double m_lastLevel = -1;           // touched only on the queue
    std::pair<bool, bool> m_announced; // isAvailable, canSet
    bool m_started = false;
    bool m_following = false;
    bool m_polling = false;
    SerialQueue m_queue;
    TaskHandle m_poll;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace vesk
