#include "VeskPlatform/DragWatch/X11DragWatch.h"

#include "VeskPlatform/Input/X11RootInputMask.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include <cstdlib>
#include <memory>

#include <xcb/xfixes.h>
#include <xcb/xinput.h>

namespace vesk {

namespace {

using x11::Reply;

constexpr quint64 buttonMask =
    XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_RELEASE;
constexpr quint64 motionMask = XCB_INPUT_XI_EVENT_MASK_RAW_MOTION;

// Answers from the desktop without a drag selection to follow.
class BlindDragWatch final : public DragWatch {
public:
    using DragWatch::DragWatch;
    qint64 changeCount() const override { return 0; }
    bool isLeftButtonDown() const override { return QGuiApplication::mouseButtons() & Qt::LeftButton; }
    int startMonitors() override { return 0; }
    void stopMonitors() override {}
};

} // namespace

std::unique_ptr<DragWatch> DragWatch::create(QObject* parent) {
    auto x11 = std::make_unique<X11DragWatch>(parent);
    if (x11->isValid()) return x11;
    return std::make_unique<BlindDragWatch>(parent);
}

X11DragWatch::X11DragWatch(QObject* parent) : DragWatch(parent) {
    const std::optional<x11::Connection> c = x11::connection();
    if (!c || xcb_connection_has_error(c->xcb)) return;
    m_connection = c->xcb;
    m_root = c->root;
    m_raw = X11RawPointer::open();

    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) return;
    Reply<xcb_xfixes_query_version_reply_t> version(
        xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
    if (!version || version->major_version < 1) return;

    m_dndSelection = x11::atom("XdndSelection");
    if (!m_dndSelection) return;

    QCoreApplication::instance()->installNativeEventFilter(this);
    xcb_generic_error_t* error = xcb_request_check(
        m_connection,
        xcb_xfixes_select_selection_input_checked(m_connection, m_root, m_dndSelection,
                                                  XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER));
    if (error) {
        std::free(error);
        QCoreApplication::instance()->removeNativeEventFilter(this);
        return;
    }
    m_xfixesFirstEvent = xfixes->first_event;
}

X11DragWatch::~X11DragWatch() {
    // Once the application is gone so is its connection, and with it our selections.
    if (!qGuiApp || !m_connection) return;
    stopMonitors();
    if (isValid()) {
        xcb_xfixes_select_selection_input(m_connection, m_root, m_dndSelection, 0);
        xcb_flush(m_connection);
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
}

bool X11DragWatch::isLeftButtonDown() const {
    if (!m_raw) return QGuiApplication::mouseButtons() & Qt::LeftButton;
    const std::optional<quint16> buttons = m_raw->queryButtons();
    return buttons && (*buttons & XCB_BUTTON_MASK_1);
}

int X11DragWatch::startMonitors() {
    stopMonitors();
    if (!m_raw || !isValid()) return 0;
    m_monitoring = true;
    m_draggingElsewhere = false;
    selectRawEvents();
    return 2;
}

void X11DragWatch::stopMonitors() {
    if (!m_monitoring) return;
    m_monitoring = false;
    m_draggingElsewhere = false;
    selectRawEvents();
}

void X11DragWatch::selectRawEvents() {
    if (!m_raw) return;
    quint64 mask = 0;
    if (m_monitoring) mask = buttonMask | (m_draggingElsewhere ? motionMask : 0);
    X11RootInputMask::select(m_raw->connection, m_raw->root, this, mask);
}

void X11DragWatch::reportMotion() {
    m_motionPending = false;
    if (m_draggingElsewhere) Q_EMIT leftMouseDragged(QCursor::pos());
}

bool X11DragWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & 0x7F;
    if (type == m_xfixesFirstEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        auto* notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
        if (notify->selection == m_dndSelection && notify->owner != XCB_NONE) ++m_changeCount;
        return false;
    }
    if (!m_monitoring || !m_raw) return false;
    const std::optional<X11RawPointer::Event> raw = m_raw->rawEvent(eventType, message);
    if (!raw) return false;
    switch (raw->kind) {
    case X11RawPointer::Kind::press:
        // A press on one of our windows belongs to that window until its release, as
        // the server delivers the whole drag there.
        if (raw->button == 1 && !m_draggingElsewhere && !isOwnWindowAt(QCursor::pos())) {
            m_draggingElsewhere = true;
            selectRawEvents();
        }
        break;
    case X11RawPointer::Kind::release:
        if (raw->button == 1 && m_draggingElsewhere) {
            m_draggingElsewhere = false;
            selectRawEvents();
            Q_EMIT leftMouseUp();
        }
        break;
    case X11RawPointer::Kind::motion:
        // Motion comes at the device's rate: read the position once per loop turn.
        if (m_draggingElsewhere && !m_motionPending) {
            m_motionPending = true;
            QTimer::singleShot(0, this, &X11DragWatch::reportMotion);
        }
        break;
    }
    // Other parts of the program may read the same raw events.
    return false;
}

} // namespace vesk
