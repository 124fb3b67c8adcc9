#include "VeskPlatform/Input/X11OutsideClickWatch.h"

#include "VeskPlatform/Input/X11RootInputMask.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>

#include <xcb/xinput.h>

namespace vesk {

namespace {

constexpr quint64 pressMask = XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS;

class BlindOutsideClickWatch final : public OutsideClickWatch {
public:
    using OutsideClickWatch::OutsideClickWatch;
    bool isWatching() const override { return false; }
};

} // namespace

std::unique_ptr<OutsideClickWatch> OutsideClickWatch::create(QObject* parent) {
    auto x11 = std::make_unique<X11OutsideClickWatch>(parent);
    if (x11->isWatching()) return x11;
    return std::make_unique<BlindOutsideClickWatch>(parent);
}

X11OutsideClickWatch::X11OutsideClickWatch(QObject* parent) : OutsideClickWatch(parent) {
    m_raw = X11RawPointer::open();
    if (!m_raw) return;
    if (!X11RootInputMask::select(m_raw->connection, m_raw->root, this, pressMask)) {
        m_raw.reset();
        return;
    }
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11OutsideClickWatch::~X11OutsideClickWatch() {
    // Once the application is gone so is its connection, and with it the selection.
    if (!m_raw || !qGuiApp) return;
    X11RootInputMask::select(m_raw->connection, m_raw->root, this, 0);
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11OutsideClickWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    const std::optional<X11RawPointer::Event> raw = m_raw->rawEvent(eventType, message);
    if (!raw || raw->kind != X11RawPointer::Kind::press || (raw->button != 1 && raw->button != 3))
        return false;
    const QPointF position = QCursor::pos();
    if (!isOwnWindowAt(position)) Q_EMIT clickedElsewhere(position);
    // Other parts of the program may read the same raw events.
    return false;
}

} // namespace vesk
