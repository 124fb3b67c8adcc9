#pragma once

#include <functional>
#include <optional>

namespace vesk {

// The brightness of the built-in panel.
class DisplayBrightness {
public:
    virtual ~DisplayBrightness() = default;

    // Whether there is a backlight to drive at all.
    virtual bool hasDevice() const = 0;
    // The level as a fraction of the device's range (unchecked: a device may report more
    // than its maximum), or none when it cannot be read. Any thread.
    virtual std::optional<double> read() const = 0;
    // Starts setting `level` (0...1); false when it cannot be issued. Main thread.
    virtual bool write(double level) = 0;
    // Whether writes can work here; may turn false after the first refusal. Any thread.
    virtual bool canWrite() const = 0;

    // Called on the main thread when canWrite changes.
    void setOnWritableChanged(std::function<void()> callback) { m_onWritableChanged = std::move(callback); }

protected:
    void notifyWritableChanged() const {
        if (m_onWritableChanged) m_onWritableChanged();
    }

private:
    std::function<void()> m_onWritableChanged;
};

} // namespace vesk
