#pragma once

#include <QProcessEnvironment>

namespace vesk::childEnvironment {

// main() picks the xcb platform for us when QT_QPA_PLATFORM is unset; it calls this so
// the programs we start do not inherit that choice (a Qt program launched from us under
// Wayland would otherwise run through XWayland).
void markPlatformForced();
bool isPlatformForced();

// Our environment as programs we start should see it.
QProcessEnvironment forChildren();

} // namespace vesk::childEnvironment
