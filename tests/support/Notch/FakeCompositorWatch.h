#pragma once

#include "VeskPlatform/Screens/Panel/CompositorWatch.h"

namespace vesk::test {

// A compositing manager that comes and goes when the test says so.
class FakeCompositorWatch final : public CompositorWatch {
public:
    explicit FakeCompositorWatch(bool active) : m_active(active) {}

    bool isActive() const override { return m_active; }
    void setActive(bool active) {
        if (active == m_active) return;
        m_active = active;
        Q_EMIT activeChanged(active);
    }

private:
    bool m_active;
};

} // namespace vesk::test
