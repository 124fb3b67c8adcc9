#pragma once

#include "VeskPlatform/DragWatch/DragWatch.h"
#include "VeskPlatform/Input/OutsideClickWatch.h"

namespace vesk::test {

// Drags as the test says they happen: set the count and the button, emit the signals.
class FakeDragWatch final : public DragWatch {
public:
    qint64 changeCount() const override { return count; }
    bool isLeftButtonDown() const override { return leftDown; }
    int startMonitors() override {
        monitoring = true;
        return 2;
    }
    void stopMonitors() override { monitoring = false; }

    qint64 count = 0;
    bool leftDown = false;
    bool monitoring = false;
};

// Clicks elsewhere as the test emits them.
class FakeOutsideClickWatch final : public OutsideClickWatch {
public:
    bool isWatching() const override { return true; }
};

} // namespace vesk::test
