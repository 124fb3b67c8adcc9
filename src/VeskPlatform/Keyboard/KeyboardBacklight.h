#pragma once

#include <functional>
#include <optional>

namespace vesk {

// The keyboard's backlight.
class KeyboardBacklight {
public:
    virtual ~KeyboardBacklight() = default;

    // Whether a backlight can be read now. Backends that find theirs over D-Bus learn
    // this after construction and announce it through the state callback.
    virtual bool isAvailable() const = 0;
    // True when the backend announces every level change itself (through the level
    // callback), so nobody needs to poll it.
    virtual bool reportsChanges() const = 0;
    // The level as a fraction of the device's range, or none. Any thread.
    virtual std::optional<double> read() const = 0;
    // Starts setting `level` (0...1); false when it cannot be issued. Main thread.
    virtual bool write(double level) = 0;
    // Whether writes can work here (a backlight may be readable but not writable).
    virtual bool canWrite() const = 0;

    // Main thread: a new level (only from backends that report changes, including the
    // level of their own writes as soon as they are issued).
    void setOnLevelChanged(std::function<void(double)> callback) { m_onLevelChanged = std::move(callback); }
    // Main thread: isAvailable, reportsChanges or canWrite may have changed.
    void setOnStateChanged(std::function<void()> callback) { m_onStateChanged = std::move(callback); }

protected:
    void notifyLevel(double level) const {
        if (m_onLevelChanged) m_onLevelChanged(level);
    }
    void notifyState() const {
        if (m_onStateChanged) m_onStateChanged();
    }

private:
    std::function<void(double)> m_onLevelChanged;
    std::function<void()> m_onStateChanged;
};

} // namespace vesk
