#include "VeskPlatform/Workspace/FrontmostApplication.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QByteArray>
#include <QList>

#include <xcb/xcb.h>

#include <cstdlib>

namespace vesk::workspace {

namespace {

QByteArray property(const x11::Connection& c, uint32_t window, uint32_t name, uint32_t type) {
    if (!name) return {};
    const auto cookie = xcb_get_property(c.xcb, 0, window, name, type, 0, 1024);
    // A window closed meanwhile answers with an error, taken here rather than left for
    // Qt's connection to complain about.
    xcb_generic_error_t* error = nullptr;
    const x11::Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c.xcb, cookie, &error));
    std::free(error);
    if (!reply || reply->type == XCB_NONE) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace

std::optional<QString> windowClass(const QByteArray& wmClass) {
    const QList<QByteArray> parts = wmClass.split('\0');
    if (parts.size() < 2 || parts.at(1).isEmpty()) return std::nullopt;
    return QString::fromLatin1(parts.at(1));
}

std::optional<QString> frontmostApplicationID() {
    const auto c = x11::connection();
    if (!c) return std::nullopt;
    const QByteArray active = property(*c, c->root, x11::atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (active.size() < 4) return std::nullopt;
    const uint32_t window = *reinterpret_cast<const uint32_t*>(active.constData());
    if (window == XCB_NONE) return std::nullopt;
    const QByteArray applicationID =
        property(*c, window, x11::atom("_GTK_APPLICATION_ID"), x11::atom("UTF8_STRING"));
    if (!applicationID.isEmpty()) return QString::fromUtf8(applicationID);
    return windowClass(property(*c, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING));
}

} // namespace vesk::workspace
