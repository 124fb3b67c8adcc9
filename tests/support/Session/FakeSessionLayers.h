#pragma once

#include "VeskPlatform/Session/DoNotDisturb.h"
#include "VeskPlatform/Session/PowerAssertion.h"
#include "VeskPlatform/Session/SessionEvents.h"

namespace vesk::test {

// A do-not-disturb switch the test moves by hand.
class FakeDoNotDisturb final : public DoNotDisturb {
public:
    void start() override {
        ++starts;
        following = true;
    }
    void stop() override {
        ++stops;
        following = false;
    }
    Source source() const override { return sourceRead; }
    bool isActive() const override { return active; }

    // The desktop answers a start().
    void answerStart(bool value, Source from = Source::gsettings) {
        active = value;
        sourceRead = from;
        Q_EMIT started(value);
    }
    // The user flips the switch; like the real layer, an unchanged value says nothing.
    void flip(bool value) {
        if (value == active) return;
        active = value;
        Q_EMIT activeChanged(value);
    }

    int starts = 0;
    int stops = 0;
    bool following = false;
    bool active = false;
    Source sourceRead = Source::none;
};

// A power assertion that counts what is asked of it.
class FakePowerAssertion final : public PowerAssertion {
public:
    bool acquire(const QString& reason) override {
        ++acquires;
        lastReason = reason;
        held = accepts;
        return accepts;
    }
    void release() override {
        ++releases;
        held = false;
    }
    bool isHeld() const override { return held; }

    // Every channel refused after all.
    void loseIt() {
        held = false;
        Q_EMIT lost(QStringLiteral("every channel refused"));
    }

    bool accepts = true;
    bool held = false;
    int acquires = 0;
    int releases = 0;
    QString lastReason;
};

// A session whose lock state the test sets.
class FakeSessionEvents final : public SessionEvents {
public:
    void start() override { ++starts; }
    void stop() override { ++stops; }
    bool isLocked() const override { return locked; }

    void setLocked(bool value) {
        locked = value;
        Q_EMIT lockedChanged(value);
    }

    int starts = 0;
    int stops = 0;
    bool locked = false;
};

} // namespace vesk::test
