#pragma once

#include "Vesk/Notch/NotchPanelInterface.h"

#include <QObject>
#include <QRectF>
#include <QSizeF>
#include <QStringList>

#include <memory>

namespace vesk::test {

// A panel that only remembers: every value the view model sets, and its calls in order
// ("focus", "resign", "sync", "hide", "frame", "wanted=<bool>").
class FakeNotchPanel final : public NotchPanelInterface {
public:
    explicit FakeNotchPanel(QSizeF start = QSizeF(200, 60))
        : m_lifetime(std::make_unique<QObject>()), m_currentCanvas(start), m_drawnCanvas(start) {}

    // The panel's window goes away; the model must treat it as gone.
    void destroy() { m_lifetime.reset(); }

    QObject* lifetimeObject() override { return m_lifetime.get(); }

    bool keyboardFocusRequested() const override { return m_focusRequested; }
    void setKeyboardFocusRequested(bool requested) override { m_focusRequested = requested; }
    void takeKeyboardFocus() override { calls << QStringLiteral("focus"); }
    void resignKeyboardFocus() override { calls << QStringLiteral("resign"); }

    QSizeF currentCanvas() const override { return m_currentCanvas; }
    void setCurrentCanvas(const QSizeF& canvas) override { m_currentCanvas = canvas; }
    QSizeF drawnCanvas() const override { return m_drawnCanvas; }
    void setDrawnCanvas(const QSizeF& canvas) override { m_drawnCanvas = canvas; }

    double drawnBottomRadius() const override { return m_radius; }
    void setDrawnBottomRadius(double radius) override { m_radius = radius; }

    bool backdropEnabled() const override { return m_backdropEnabled; }
    void setBackdropEnabled(bool enabled) override { m_backdropEnabled = enabled; }
    bool backdropWantedByState() const override { return m_backdropWanted; }
    void setBackdropWantedByState(bool wanted) override {
        if (wanted != m_backdropWanted)
            calls << (wanted ? QStringLiteral("wanted=true") : QStringLiteral("wanted=false"));
        m_backdropWanted = wanted;
    }
    void syncBackdrop() override { calls << QStringLiteral("sync"); }
    void hideBackdrop() override { calls << QStringLiteral("hide"); }

    void setFrame(const QRectF& frame) override {
        calls << QStringLiteral("frame");
        this->frame = frame;
    }

    QStringList calls;
    QRectF frame;

private:
    std::unique_ptr<QObject> m_lifetime;
    bool m_focusRequested = false;
    QSizeF m_currentCanvas;
    QSizeF m_drawnCanvas;
    double m_radius = 14;
    bool m_backdropEnabled = true;
    bool m_backdropWanted = false;
};

} // namespace vesk::test
