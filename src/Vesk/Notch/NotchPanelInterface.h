#pragma once

#include <QRectF>
#include <QSizeF>

class QObject;

namespace vesk {

// What a notch view model drives on its display's panel: the canvases the window is
// sized and drawn for, keyboard focus, the lower corner radius and the blurred
// backdrop. The panel implements it; the view model never sees a widget.
//
// Sizes are in device-independent pixels. The view model calls these on the main
// thread only, and holds the panel weakly through lifetimeObject().
class NotchPanelInterface {
public:
    virtual ~NotchPanelInterface() = default;

    // The object whose destruction ends the panel (the panel's own window).
    virtual QObject* lifetimeObject() = 0;

    // The panel may take keyboard focus: the open desk, or an explicit request.
    virtual bool keyboardFocusRequested() const = 0;
    virtual void setKeyboardFocusRequested(bool requested) = 0;
    // Activates the panel, raises it and gives it keyboard focus.
    virtual void takeKeyboardFocus() = 0;
    // Gives keyboard focus back to whatever had it before.
    virtual void resignKeyboardFocus() = 0;

    // The canvas the window frame was last sized for.
    virtual QSizeF currentCanvas() const = 0;
    virtual void setCurrentCanvas(const QSizeF& canvas) = 0;
    // The canvas the shape is drawn for; the backdrop follows it.
    virtual QSizeF drawnCanvas() const = 0;
    virtual void setDrawnCanvas(const QSizeF& canvas) = 0;

    // Lower corner radius of the shape: 34 while the desk is open, else 14.
    virtual double drawnBottomRadius() const = 0;
    virtual void setDrawnBottomRadius(double radius) = 0;

    // The setting that allows the blur at all, as last applied.
    virtual bool backdropEnabled() const = 0;
    virtual void setBackdropEnabled(bool enabled) = 0;
    // The current state wants the blur. Turning it on fades the backdrop in; turning it
    // off removes it at once; setting the same value again does nothing.
    virtual bool backdropWantedByState() const = 0;
    virtual void setBackdropWantedByState(bool wanted) = 0;
    // Places the backdrop behind the drawn shape, or hides it when it is not wanted.
    virtual void syncBackdrop() = 0;
    // Hides the backdrop now, whatever the state wants.
    virtual void hideBackdrop() = 0;

    // Moves and resizes the window at once, without an animation or a forced repaint.
    // The frame is in global coordinates.
    virtual void setFrame(const QRectF& frame) = 0;
};

} // namespace vesk
