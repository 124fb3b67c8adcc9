#include "VeskPlatform/Screens/Panel/CompositorWatch.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QCoreApplication>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <cstdlib>

namespace vesk {

namespace {

class NoCompositor final : public CompositorWatch {
public:
    using CompositorWatch::CompositorWatch;
    bool isActive() const override { return false; }
};

} // namespace

CompositorWatch& CompositorWatch::system() {
    static CompositorWatch* watch = []() -> CompositorWatch* {
        if (x11::connection()) return new X11CompositorWatch(qApp);
        return new NoCompositor(qApp);
    }();
    return *watch;
}

X11CompositorWatch::X11CompositorWatch(QObject* parent) : CompositorWatch(parent) {
    const auto c = x11::connection();
    if (!c) return;
    m_selection = x11::atom("_NET_WM_CM_S" + QByteArray::number(c->screenNumber));

    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(c->xcb, &xcb_xfixes_id);
    if (xfixes && xfixes->present) {
        // The version must be negotiated on the connection before any XFixes request.
        auto version = xcb_xfixes_query_version(c->xcb, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION);
        std::free(xcb_xfixes_query_version_reply(c->xcb, version, nullptr));
        m_xfixesEvent = xfixes->first_event;
        xcb_xfixes_select_selection_input(c->xcb, c->root, m_selection,
                                          XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                              XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        xcb_flush(c->xcb);
        m_watching = true;
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    refresh();
}

X11CompositorWatch::~X11CompositorWatch() {
    if (m_watching && QCoreApplication::instance())
        QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11CompositorWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == m_selection) refresh();
    return false; // others may watch selections too
}

void X11CompositorWatch::refresh() {
    const auto c = x11::connection();
    if (!c || !m_selection) return;
    auto cookie = xcb_get_selection_owner(c->xcb, m_selection);
    const x11::Reply<xcb_get_selection_owner_reply_t> reply(
        xcb_get_selection_owner_reply(c->xcb, cookie, nullptr));
    const bool active = reply && reply->owner != XCB_NONE;
    if (active == m_active) return;
    m_active = active;
    Q_EMIT activeChanged(active);
}

} // namespace vesk
