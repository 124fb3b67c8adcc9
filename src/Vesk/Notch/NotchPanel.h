#pragma once

#include "Vesk/Notch/NotchPanelInterface.h"
#include "VeskPlatform/Screens/Panel/FocusReturn.h"

#include <QPointer>
#include <QRegion>
#include <QSizeF>
#include <QWidget>

#include <memory>

class QScreen;

namespace vesk {

class CompositorWatch;
class NotchBackdropPanel;
class NotchHostingView;

// The window of one display's notch: frameless, above other windows, on every
// workspace, out of task bars, never activated by showing or clicking, and taking the
// keyboard only while asked. It is far larger than the shape it draws; its hosting view
// decides where it takes pointer input, which becomes the window's X11 input shape.
// Without a compositing manager translucency shows black, so the window is then clipped
// to the drawn shape and the blurred backdrop stays away; both follow the compositor as
// it comes and goes.
class NotchPanel : public QWidget, public NotchPanelInterface {
    Q_OBJECT

public:
    // Where the panel sits in the stacking order: above ordinary windows at rest, raised
    // above everything while a file drag is armed.
    enum class Level { resting, drag };

    static constexpr QSize contentSize{900, 420};

    // `compositor` must outlive the panel; the display's own by default.
    NotchPanel(QScreen* screen, const QSizeF& startSize, CompositorWatch* compositor = nullptr);
    ~NotchPanel() override;

    NotchHostingView* hostingView() const { return m_host; }
    NotchBackdropPanel& backdrop() const { return *m_backdrop; }

    Level level() const { return m_level; }
    void setLevel(Level level);

    // The pointer-input region last applied, in the panel's coordinates.
    QRegion inputRegion() const { return m_inputRegion; }
    bool compositing() const;

    // NotchPanelInterface
    QObject* lifetimeObject() override { return this; }
    bool keyboardFocusRequested() const override { return m_keyboardFocusRequested; }
    void setKeyboardFocusRequested(bool requested) override { m_keyboardFocusRequested = requested; }
    void takeKeyboardFocus() override;
    void resignKeyboardFocus() override;
    QSizeF currentCanvas() const override { return m_currentCanvas; }
    void setCurrentCanvas(const QSizeF& canvas) override { m_currentCanvas = canvas; }
    QSizeF drawnCanvas() const override { return m_drawnCanvas; }
    void setDrawnCanvas(const QSizeF& canvas) override { m_drawnCanvas = canvas; }
    double drawnBottomRadius() const override { return m_drawnBottomRadius; }
    void setDrawnBottomRadius(double radius) override { m_drawnBottomRadius = radius; }
    bool backdropEnabled() const override { return m_backdropEnabled; }
    void setBackdropEnabled(bool enabled) override { m_backdropEnabled = enabled; }
    bool backdropWantedByState() const override { return m_backdropWantedByState; }
    void setBackdropWantedByState(bool wanted) override;
    void syncBackdrop() override;
    void hideBackdrop() override;
    void setFrame(const QRectF& frame) override;

    // The outline the backdrop follows for the drawn canvas, in global coordinates.
    QRectF backdropShape() const;

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    // Above every other window except our open menus.
    void raiseWindow();
    void applyRegions();
    void compositorChanged();
    QScreen* displayScreen() const;

    NotchHostingView* m_host;
    std::unique_ptr<NotchBackdropPanel> m_backdrop;
    CompositorWatch* m_compositor;
    FocusReturn m_focusReturn;
    Level m_level = Level::resting;
    QRegion m_inputRegion;
    bool m_keyboardFocusRequested = false;
    QSizeF m_currentCanvas;
    QSizeF m_drawnCanvas;
    double m_drawnBottomRadius = 14;
    bool m_backdropEnabled = true;
    bool m_backdropWantedByState = false;
};

} // namespace vesk
