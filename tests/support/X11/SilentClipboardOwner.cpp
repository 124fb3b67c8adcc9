#include "support/X11/SilentClipboardOwner.h"

#include <QGuiApplication>
#include <QScreen>
#include <qpa/qplatformnativeinterface.h>

namespace vesk::test {

SilentClipboardOwner::~SilentClipboardOwner() {
    xcb_disconnect(m_connection);
    QPlatformNativeInterface* native = QGuiApplication::platformNativeInterface();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!native || !screen || QGuiApplication::platformName() != QLatin1String("xcb")) return;
    using SetTime = void (*)(QScreen*, xcb_timestamp_t);
    // Handed out as a function of another type, as every screen function is.
    const auto setTime = reinterpret_cast<SetTime>(
        reinterpret_cast<void (*)()>(native->nativeResourceFunctionForScreen("setapptime")));
    const auto now = xcb_timestamp_t(quintptr(native->nativeResourceForScreen("gettimestamp", screen)));
    if (setTime && now != XCB_CURRENT_TIME) setTime(screen, now);
}

} // namespace vesk::test
