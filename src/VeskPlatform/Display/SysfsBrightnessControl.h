#pragma once

#include "VeskPlatform/Display/SysfsBacklight.h"

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

class LogindBrightness;

// A sysfs brightness device read directly and written through logind. A write takes a
// moment to land, so until logind answers the level written last is what `read` reports:
// quick key presses then step on from each other instead of from a stale reading.
class SysfsBrightnessControl {
public:
    // `writer` may be shared between devices; it must outlive this object's writes' answers
    // or be destroyed with them (its answers do nothing once this is gone).
    SysfsBrightnessControl(SysfsBacklight device, std::shared_ptr<LogindBrightness> writer);
    ~SysfsBrightnessControl();
    SysfsBrightnessControl(const SysfsBrightnessControl&) = delete;
    SysfsBrightnessControl& operator=(const SysfsBrightnessControl&) = delete;

    const SysfsBacklight& device() const { return m_device; }

    // 0...1 (a device reporting above its maximum gives more than 1); none when unreadable.
    // Any thread.
    std::optional<double> read() const;
    // Starts a write of `level`, rounded away from the current raw value; false when writes
    // are known not to work here. Main thread.
    bool write(double level);
    // False once logind has refused in a way that will not change (no logind, no method,
    // not allowed). Any thread.
    bool canWrite() const;
    // Main thread, whenever canWrite changes.
    void setOnWritableChanged(std::function<void()> callback);

private:
    struct State;
    SysfsBacklight m_device;
    std::shared_ptr<LogindBrightness> m_writer;
    std::shared_ptr<State> m_state;
};

} // namespace vesk
