#include "VeskPlatform/Screens/Panel/InputShape.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QWindow>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <cmath>
#include <vector>

namespace vesk {

namespace {

bool hasShapeExtension(xcb_connection_t* xcb) {
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(xcb, &xcb_shape_id);
    return shape && shape->present;
}

} // namespace

bool setInputShape(QWindow* window, const QRegion& region) {
    const auto c = x11::connection();
    if (!c || !window || !window->handle() || !hasShapeExtension(c->xcb)) return false;
    const qreal ratio = window->devicePixelRatio();
    std::vector<xcb_rectangle_t> rects;
    rects.reserve(size_t(region.rectCount()));
    for (const QRect& r : region) {
        // Round outward so a fractional scale never loses the edge pixel of the notch.
        const int left = int(std::floor(r.left() * ratio));
        const int top = int(std::floor(r.top() * ratio));
        const int right = int(std::ceil((r.left() + r.width()) * ratio));
        const int bottom = int(std::ceil((r.top() + r.height()) * ratio));
        rects.push_back(
            xcb_rectangle_t{int16_t(left), int16_t(top), uint16_t(right - left), uint16_t(bottom - top)});
    }
    xcb_shape_rectangles(c->xcb, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED,
                         xcb_window_t(window->winId()), 0, 0, uint32_t(rects.size()), rects.data());
    xcb_flush(c->xcb);
    return true;
}

bool clearInputShape(QWindow* window) {
    const auto c = x11::connection();
    if (!c || !window || !window->handle() || !hasShapeExtension(c->xcb)) return false;
    xcb_shape_mask(c->xcb, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, xcb_window_t(window->winId()), 0, 0,
                   XCB_NONE);
    xcb_flush(c->xcb);
    return true;
}

std::optional<QRegion> inputShape(QWindow* window) {
    const auto c = x11::connection();
    if (!c || !window || !window->handle() || !hasShapeExtension(c->xcb)) return std::nullopt;
    auto cookie = xcb_shape_get_rectangles(c->xcb, xcb_window_t(window->winId()), XCB_SHAPE_SK_INPUT);
    const x11::Reply<xcb_shape_get_rectangles_reply_t> reply(
        xcb_shape_get_rectangles_reply(c->xcb, cookie, nullptr));
    if (!reply) return std::nullopt;
    QRegion result;
    const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply.get());
    const int count = xcb_shape_get_rectangles_rectangles_length(reply.get());
    for (int i = 0; i < count; ++i)
        result += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    return result;
}

} // namespace vesk
