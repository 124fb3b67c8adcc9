#pragma once

#include "VeskPlatform/Display/DisplayBrightness.h"
#include "VeskPlatform/Input/KeyTap.h"
#include "VeskPlatform/Keyboard/KeyboardBacklight.h"

#include <QList>
#include <QString>

#include <optional>
#include <vector>

namespace vesk::test {

// A panel backlight whose reading the test sets; writes land at once unless told not to.
class FakeDisplayBrightness final : public DisplayBrightness {
public:
    bool device = true;
    std::optional<double> level = 0.5;
    bool writable = true;
    bool writesLand = true;
    std::vector<double> writes;

    bool hasDevice() const override { return device; }
    std::optional<double> read() const override { return device ? level : std::nullopt; }
    bool write(double value) override {
        if (!device || !writable) return false;
        writes.push_back(value);
        if (writesLand) level = value;
        return true;
    }
    bool canWrite() const override { return device && writable; }

    void refuseWrites() {
        writable = false;
        notifyWritableChanged();
    }
};

// A keyboard backlight; `reportsChanges` picks a backend that announces its levels (like
// UPower) or one that must be polled (like a sysfs LED).
class FakeKeyboardBacklight final : public KeyboardBacklight {
public:
    explicit FakeKeyboardBacklight(bool reports) : reports(reports) {}

    bool available = true;
    bool reports;
    bool writable = true;
    std::optional<double> level = 0.5;
    std::vector<double> writes;

    bool isAvailable() const override { return available; }
    bool reportsChanges() const override { return reports; }
    std::optional<double> read() const override { return available ? level : std::nullopt; }
    bool write(double value) override {
        if (!available || !writable) return false;
        writes.push_back(value);
        level = value;
        if (reports) notifyLevel(value);
        return true;
    }
    bool canWrite() const override { return available && writable; }

    // What the backend does when the level moves by other means.
    void move(double value) {
        level = value;
        if (reports) notifyLevel(value);
    }
    void setAvailable(bool value) {
        available = value;
        notifyState();
    }
};

// A key tap the test drives by hand.
class FakeKeyTap final : public KeyTap {
public:
    bool listenable = true;
    bool interceptable = true;
    bool createSucceeds = true;
    bool enabled = true;

    bool created = false;
    int createCount = 0;
    int enableCount = 0;
    Mode mode = Mode::listen;
    QSet<int> intercepted;

    bool canListen() const override { return listenable; }
    bool canIntercept() const override { return interceptable; }
    bool probeIntercept() override { return interceptable; }
    bool create(Mode m, Callback callback) override {
        ++createCount;
        if (!createSucceeds) return false;
        created = true;
        enabled = true;
        mode = m;
        m_callback = std::move(callback);
        return true;
    }
    void destroy() override {
        created = false;
        m_callback = {};
    }
    bool isEnabled() const override { return enabled; }
    void enable() override {
        ++enableCount;
        enabled = true;
    }
    void setInterceptedKeys(const QSet<int>& keyCodes) override { intercepted = keyCodes; }

    // Delivers an event as the tap would; returns the callback's answer (false when the
    // tap is not installed).
    bool send(const TapEvent& event) { return m_callback ? m_callback(event) : false; }
    void refuse(const QString& reason) { notifyInterceptRefused(reason); }

private:
    Callback m_callback;
};

} // namespace vesk::test
