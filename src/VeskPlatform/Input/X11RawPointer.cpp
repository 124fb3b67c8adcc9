#include "VeskPlatform/Input/X11RawPointer.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QGuiApplication>
#include <QWindow>

#include <cstring>

#include <xcb/xinput.h>

namespace vesk {

std::optional<X11RawPointer> X11RawPointer::open() {
    const std::optional<x11::Connection> c = x11::connection();
    if (!c || xcb_connection_has_error(c->xcb)) return std::nullopt;
    X11RawPointer result;
    result.connection = c->xcb;
    result.root = c->root;

    static constexpr char name[] = "XInputExtension";
    x11::Reply<xcb_query_extension_reply_t> xi(xcb_query_extension_reply(
        result.connection, xcb_query_extension(result.connection, std::strlen(name), name), nullptr));
    if (!xi || !xi->present) return std::nullopt;
    result.xiOpcode = xi->major_opcode;
    // Qt has already agreed on a version for this connection and the server refuses a
    // lower one: ask for the newest we know and read back what holds.
    x11::Reply<xcb_input_xi_query_version_reply_t> version(xcb_input_xi_query_version_reply(
        result.connection, xcb_input_xi_query_version(result.connection, 2, 4), nullptr));
    const bool hasXi21 = version && (version->major_version > 2 ||
                                     (version->major_version == 2 && version->minor_version >= 1));
    if (!hasXi21) return std::nullopt;
    return result;
}

std::optional<X11RawPointer::Event> X11RawPointer::rawEvent(const QByteArray& eventType,
                                                            void* message) const {
    if (eventType != "xcb_generic_event_t") return std::nullopt;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != XCB_GE_GENERIC) return std::nullopt;
    auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
    if (generic->extension != xiOpcode) return std::nullopt;
    auto* raw = reinterpret_cast<xcb_input_raw_button_press_event_t*>(event);
    switch (generic->event_type) {
    case XCB_INPUT_RAW_BUTTON_PRESS:
        return Event{Kind::press, int(raw->detail)};
    case XCB_INPUT_RAW_BUTTON_RELEASE:
        return Event{Kind::release, int(raw->detail)};
    case XCB_INPUT_RAW_MOTION:
        return Event{Kind::motion, 0};
    default:
        return std::nullopt;
    }
}

std::optional<quint16> X11RawPointer::queryButtons() const {
    x11::Reply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr));
    if (!reply) return std::nullopt;
    return reply->mask;
}

bool isOwnWindowAt(const QPointF& position) {
    const QList<QWindow*> windows = QGuiApplication::topLevelWindows();
    for (const QWindow* window : windows)
        if (window->isVisible() && window->type() == Qt::Popup) return true;
    return QGuiApplication::topLevelAt(position.toPoint()) != nullptr;
}

} // namespace vesk
