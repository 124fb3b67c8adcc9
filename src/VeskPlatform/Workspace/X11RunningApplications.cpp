#include "VeskPlatform/Workspace/X11RunningApplications.h"

#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSet>

#include <xcb/xcb.h>

namespace vesk {

namespace {

using x11::Reply;

// Programs that only start the real one; a window whose program is one of these says
// nothing about which application it belongs to.
const QSet<QString>& launchers() {
    static const QSet<QString> names{QStringLiteral("env"), QStringLiteral("sh"), QStringLiteral("bash"),
                                     QStringLiteral("python3"), QStringLiteral("flatpak")};
    return names;
}

bool sameIgnoringCase(const QString& a, const QString& b) {
    return !a.isEmpty() && a.compare(b, Qt::CaseInsensitive) == 0;
}

// A window's property as bytes; empty when missing.
QByteArray property(xcb_connection_t* c, uint32_t window, uint32_t atom, uint32_t type, uint32_t longs) {
    const Reply<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, atom, type, 0, longs), nullptr));
    if (!reply || reply->type == XCB_NONE) return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace

std::unique_ptr<RunningApplications> RunningApplications::create() {
    auto x11 = std::make_unique<X11RunningApplications>();
    if (x11->isValid()) return x11;
    struct NothingRunning final : RunningApplications {
        bool isRunning(const DesktopEntry&) override { return false; }
    };
    return std::make_unique<NothingRunning>();
}

bool RunningApplications::belongsTo(const AppWindow& window, const DesktopEntry& entry) {
    const QString& wmClass = entry.startupWMClass;
    if (!wmClass.isEmpty() && (window.windowClass == wmClass || window.instance == wmClass)) return true;

    QString id = entry.id;
    if (id.endsWith(QLatin1String(".desktop"))) id.chop(8);
    const QString lastPart = id.section(QLatin1Char('.'), -1);
    for (const QString& name : {id, lastPart})
        if (sameIgnoringCase(window.windowClass, name) || sameIgnoringCase(window.instance, name))
            return true;

    const QString program = QFileInfo(entry.executable).fileName();
    return !program.isEmpty() && !launchers().contains(program) && window.program == program;
}

X11RunningApplications::X11RunningApplications() {
    const std::optional<x11::Connection> c = x11::connection();
    if (!c || xcb_connection_has_error(c->xcb)) return;
    m_clientList = x11::atom("_NET_CLIENT_LIST");
    m_pid = x11::atom("_NET_WM_PID");
    if (!m_clientList || !m_pid) return;

    // Qt already follows the root window's properties; add the mask only if it does not,
    // keeping whatever else this connection selected there.
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c->xcb, xcb_get_window_attributes(c->xcb, c->root), nullptr));
    if (!attributes) return;
    if (!(attributes->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE)) {
        const uint32_t mask = attributes->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
        xcb_change_window_attributes(c->xcb, c->root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(c->xcb);
    }
    m_root = c->root;
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11RunningApplications::~X11RunningApplications() {
    if (m_root && QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool X11RunningApplications::isRunning(const DesktopEntry& entry) {
    if (!m_root) return false;
    if (m_stale) refresh();
    for (const AppWindow& window : std::as_const(m_windows))
        if (belongsTo(window, entry)) return true;
    return false;
}

bool X11RunningApplications::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY) return false;
    const auto* notify = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (notify->window == m_root && notify->atom == m_clientList) m_stale = true;
    return false;
}

void X11RunningApplications::refresh() {
    const std::optional<x11::Connection> c = x11::connection();
    if (!c) return;
    m_stale = false;
    // Enough for any desktop: 16384 windows.
    const QByteArray list = property(c->xcb, m_root, m_clientList, XCB_ATOM_WINDOW, 16384);
    QHash<uint32_t, AppWindow> windows;
    const auto* ids = reinterpret_cast<const uint32_t*>(list.constData());
    for (qsizetype i = 0; i < list.size() / qsizetype(sizeof(uint32_t)); ++i) {
        const uint32_t window = ids[i];
        const auto known = m_windows.constFind(window);
        windows.insert(window, known != m_windows.cend() ? *known : readWindow(window));
    }
    m_windows = std::move(windows);
}

AppWindow X11RunningApplications::readWindow(uint32_t window) const {
    xcb_connection_t* xcb = x11::connection()->xcb;
    AppWindow facts;
    // WM_CLASS holds two NUL-terminated strings: the instance, then the class.
    const QList<QByteArray> names =
        property(xcb, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 256).split('\0');
    if (!names.isEmpty()) facts.instance = QString::fromLocal8Bit(names.value(0));
    if (names.size() > 1) facts.windowClass = QString::fromLocal8Bit(names.value(1));
    const QByteArray pid = property(xcb, window, m_pid, XCB_ATOM_CARDINAL, 1);
    if (pid.size() == sizeof(uint32_t)) {
        const uint32_t value = *reinterpret_cast<const uint32_t*>(pid.constData());
        QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(value)).symLinkTarget();
        // A program replaced on disk since it started (an upgrade) still counts.
        if (exe.endsWith(QLatin1String(" (deleted)"))) exe.chop(10);
        facts.program = QFileInfo(exe).fileName();
    }
    return facts;
}

} // namespace vesk
