#pragma once

#include "Vesk/Notch/NotchGeometry.h"
#include "VeskKit/Notch/NotchState.h"
#include "VeskKit/Widgets/DeskLayout.h"
#include "VeskKit/Widgets/WidgetLayoutEngine.h"

#include <QRectF>
#include <QSizeF>

// The size rules of the notch surface, as pure functions: how large the black shape is
// in each state, how tall the open desk is, the room the panel leaves around the shape,
// where the panel sits and which part of it takes mouse input. W and H below are the
// notch's width and height, S the screen's width.
namespace vesk::NotchSizing {

// Room around the content: 12 on each side, 6 below (the shape's flares and shadow).
inline constexpr double sideSlack = 12;
inline constexpr double bottomSlack = 6;
// Height of the canvas of a state that draws nothing.
inline constexpr double emptyCanvasHeight = 4;
// Height of the desk's widget area unless a placed widget wants more.
inline constexpr double restingDeskHeight = 176;
// The desk's widget row: fixed cell, gap and padding, and the room left beside it.
inline constexpr double deskCellWidth = 54;
inline constexpr double deskGap = 22;
inline constexpr double deskContentPadding = 18;
inline constexpr double deskMaxWidth = 1100;
inline constexpr double deskScreenMargin = 80;
// The open desk is never narrower than W + 372 (its header: 288 + 32 + 36 + 16).
inline constexpr double deskMinimumExtraWidth = 372;
// Lower corner radius of the shape.
inline constexpr double openBottomRadius = 34;
inline constexpr double closedBottomRadius = 14;

// What the content size depends on besides the state.
struct Context {
    NotchGeometry geometry;
    bool isHovering = false;
    DeskLayout layout;
    // The desk height for the model's current state (deskHeight below).
    double deskHeight = restingDeskHeight;
    // The setting contentPadding.
    double contentPadding = 12;
};

// The size of the visible shape in `state`; (0, 0) draws nothing.
QSizeF contentSize(const NotchState& state, const Context& context);

// The widget area of the open desk: the tallest placed widget on the desk tab, 176
// on the tray tab, with nothing placed, or when `currentState` is not the open desk.
double deskHeight(const NotchState& currentState, const DeskLayout& layout);

// The content plus its slack; a content that draws nothing gets a W × 4 canvas.
QSizeF canvas(const QSizeF& content, const NotchGeometry& geometry);

// The part of a panel of width `canvas` that takes mouse input, in the panel's own
// coordinates (top left origin): the content and its slack, centred and touching the
// top. Empty while hidden.
QRectF interactiveRect(const NotchState& currentState, const QSizeF& content, const QSizeF& canvas);

// The panel's frame for a canvas: clipped to the screen, centred on the notch and
// hanging from the screen's top edge.
QRectF panelFrame(const QSizeF& canvas, const NotchGeometry& geometry);

// The engine that lays out the desk's widget row, and the width it may use.
WidgetLayoutEngine deskLayoutEngine();
double availableDeskWidth(const NotchGeometry& geometry);

// A size setting as the notch uses it: the stored value kept within the range the
// settings window writes (a hand-edited file may hold anything), or the setting's
// default when it is no finite number. Keys without a range pass unchanged.
double settingInRange(const QString& key, double value);

// The horizontal chrome around an activity's texts for a contentPadding setting.
inline double activityChromePadding(double contentPadding) {
    return 2 * (contentPadding + 6) - 12;
}

} // namespace vesk::NotchSizing
