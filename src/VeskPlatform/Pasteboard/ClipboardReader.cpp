#include "VeskPlatform/Pasteboard/ClipboardReader.h"

#include "VeskPlatform/Pasteboard/X11ClipboardReader.h"

#include <QGuiApplication>

#include <X11/Xlib.h>

namespace vesk {

namespace {

// Where there is no X display there is no clipboard this reader can see.
class NoClipboardReader final : public ClipboardReader {
public:
    QStringList types() override { return {}; }
    ClipboardData data(const QString&, qint64) override { return {}; }
};

} // namespace

std::unique_ptr<ClipboardReader> ClipboardReader::create() {
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->display()) return std::make_unique<NoClipboardReader>();
    // The display Qt runs on, which need not be the one DISPLAY names.
    return std::make_unique<X11ClipboardReader>(QByteArray(DisplayString(x11->display())));
}

} // namespace vesk
