#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QGuiApplication>
#include <QHash>

#include <X11/Xlib.h>
#include <xcb/xcb.h>

namespace vesk::x11 {

std::optional<Connection> connection() {
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!app || !app->connection()) return std::nullopt;
    Connection c;
    c.xcb = app->connection();
    c.screenNumber = app->display() ? DefaultScreen(app->display()) : 0;
    auto roots = xcb_setup_roots_iterator(xcb_get_setup(c.xcb));
    for (int i = 0; roots.rem > 0; ++i, xcb_screen_next(&roots)) {
        if (i == c.screenNumber) {
            c.root = roots.data->root;
            return c;
        }
    }
    return std::nullopt;
}

uint32_t atom(const QByteArray& name) {
    static QHash<QByteArray, uint32_t> interned;
    const auto c = connection();
    if (!c) return 0;
    if (const auto found = interned.constFind(name); found != interned.cend()) return *found;
    auto cookie = xcb_intern_atom(c->xcb, 0, uint16_t(name.size()), name.constData());
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c->xcb, cookie, nullptr));
    if (!reply) return 0;
    const uint32_t value = reply->atom;
    interned.insert(name, value);
    return value;
}

} // namespace vesk::x11
