#pragma once

class QWindow;

namespace vesk {

// Asks for a dark title bar: `_GTK_THEME_VARIANT` = "dark", which GNOME's window
// manager (and others that follow it) reads when it decorates the window. False when the
// platform is not X11 or the window has no native handle yet.
bool setDarkThemeVariant(QWindow* window);

} // namespace vesk
