#include "VeskPlatform/Screens/Panel/DarkTitleBar.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QWindow>

#include <xcb/xcb.h>

namespace vesk {

bool setDarkThemeVariant(QWindow* window) {
    const auto c = x11::connection();
    if (!c || !window || !window->handle()) return false;
    static constexpr char dark[] = "dark";
    xcb_change_property(c->xcb, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        x11::atom("_GTK_THEME_VARIANT"), x11::atom("UTF8_STRING"), 8, sizeof dark - 1, dark);
    xcb_flush(c->xcb);
    return true;
}

} // namespace vesk
