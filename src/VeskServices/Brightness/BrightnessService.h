#pragma once

#include "VeskKit/Foundation/NewestStream.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Display/DisplayBrightness.h"
#include "VeskServices/Brightness/BrightnessState.h"

#include <QObject>

#include <memory>
#include <optional>

namespace vesk {

// The built-in panel's brightness. Nothing announces brightness changes (some firmware
// backlights send no event at all), so while started the service re-reads the chosen
// device every 0.2 s on its queue and publishes a state whenever the level moved by more
// than 0.004. Without a readable backlight (desktops, virtual machines) the source is
// `unavailable` and nothing runs.
class BrightnessService final : public QObject {
    Q_OBJECT
public:
    // With no layer given, the machine's own (sysfs and logind). `queueScheduler` runs the
    // poll queue on another scheduler (a manual one in tests).
    explicit BrightnessService(std::unique_ptr<DisplayBrightness> display = nullptr,
                               Scheduler* queueScheduler = nullptr, QObject* parent = nullptr);
    ~BrightnessService() override;

    static constexpr double pollInterval = 0.2;

    BrightnessState::Source source() const { return m_source; }
    bool isAvailable() const { return m_source != BrightnessState::Source::unavailable; }
    // Whether `set` can change anything: a backlight exists and writes were not refused
    // for good. The media-key handling consumes brightness keys only while this holds.
    bool canSet() const;

    // Newest 2 states; never finished.
    const NewestStream<BrightnessState>& states() const { return m_states; }

    // The level 0...1, or none without a valid reading. Any thread.
    std::optional<double> read() const;
    // Clamps `level` to 0...1 (not-a-number becomes 0) and starts setting it; false when
    // it cannot be issued. Main thread.
    bool set(double level);
    BrightnessState currentState() const;

    void start();
    void stop();

Q_SIGNALS:
    // canSet changed (main thread).
    void availabilityChanged();

private:
    void tick();

    std::unique_ptr<DisplayBrightness> m_display;
    BrightnessState::Source m_source = BrightnessState::Source::unavailable;
    NewestStream<BrightnessState> m_states{2};
    double m_lastLevel = -1; // touched only on the queue once started
    SerialQueue m_queue;
    TaskHandle m_poll;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};

} // namespace vesk
