#include "VeskPlatform/Input/X11KeyTap.h"

#include "VeskPlatform/Input/X11RawPointer.h"
#include "VeskPlatform/Input/X11RootInputMask.h"
#include "VeskPlatform/Screens/Panel/X11Connection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QStringList>
#include <QThread>

#include <cstdlib>
#include <cstring>
#include <memory>

#include <xcb/xcbext.h>
#include <xcb/xinput.h>

namespace vesk {

namespace {

constexpr quint64 rawKeyMask =
    XCB_INPUT_XI_EVENT_MASK_RAW_KEY_PRESS | XCB_INPUT_XI_EVENT_MASK_RAW_KEY_RELEASE;
constexpr quint8 xkbNewKeyboardNotify = 0;
constexpr quint8 xkbMapNotify = 1;

using x11::Reply;

Reply<xcb_query_extension_reply_t> queryExtension(xcb_connection_t* connection, const char* name) {
    return Reply<xcb_query_extension_reply_t>(xcb_query_extension_reply(
        connection, xcb_query_extension(connection, static_cast<uint16_t>(std::strlen(name)), name),
        nullptr));
}

quint32 packGrab(quint32 keycode, quint16 modifiers) {
    return (keycode << 16) | modifiers;
}
quint32 grabKeycode(quint32 grab) {
    return grab >> 16;
}
quint16 grabModifiers(quint32 grab) {
    return static_cast<quint16>(grab & 0xFFFF);
}

} // namespace

X11KeyTap::X11KeyTap() {
    m_settleTimer.setSingleShot(true);
    m_settleTimer.setInterval(settleMs);
    QObject::connect(&m_settleTimer, &QTimer::timeout, &m_settleTimer, [this] { deliver(m_merger.flush()); });

    // Raw key events need what raw pointer events need: XInput2 2.1 on Qt's connection.
    const std::optional<X11RawPointer> input = X11RawPointer::open();
    if (!input) return;
    m_connection = input->connection;
    m_root = input->root;
    m_xiOpcode = input->xiOpcode;

    if (auto xkb = queryExtension(m_connection, "XKEYBOARD"); xkb && xkb->present) {
        m_hasXkb = true;
        m_xkbFirstEvent = xkb->first_event;
    }
    // Under XWayland the server sees keys only while one of its own windows has focus.
    if (auto xwayland = queryExtension(m_connection, "XWAYLAND"); xwayland && xwayland->present)
        m_isXWayland = true;
}

X11KeyTap::~X11KeyTap() {
    destroy();
}

bool X11KeyTap::canListen() const {
    return m_connection != nullptr;
}

bool X11KeyTap::canIntercept() const {
    return canListen() && !m_isXWayland && m_refusal.isEmpty();
}

bool X11KeyTap::loadKeymap() {
    std::optional<X11Keymap> keymap = X11Keymap::load(m_connection);
    if (!keymap) return false;
    m_keymap = std::move(*keymap);
    m_auxKeyCodes.clear();
    for (quint32 keycode = m_keymap.minKeycode; keycode <= m_keymap.maxKeycode; ++keycode) {
        const int aux = auxKeyCodeForKeysym(m_keymap.keysym(keycode));
        if (aux >= 0) m_auxKeyCodes.insert(keycode, aux);
    }
    m_merger.setModifierKeycodes(m_keymap.shiftKeycodes, m_keymap.altKeycodes);
    return true;
}

bool X11KeyTap::create(Mode mode, Callback callback) {
    destroy();
    if (!canListen() || !loadKeymap()) return false;
    if (!X11RootInputMask::select(m_connection, m_root, this, rawKeyMask)) return false;

    // Modifiers already held count from the start.
    m_merger.reset();
    if (Reply<xcb_query_keymap_reply_t> keys(
            xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr));
        keys) {
        QSet<quint32> held;
        for (quint32 keycode = 0; keycode < 256; ++keycode)
            if (keys->keys[keycode / 8] & (1u << (keycode % 8))) held.insert(keycode);
        m_merger.setHeld(held);
    }

    m_created = true;
    m_stale = false;
    m_mode = mode;
    m_callback = std::move(callback);
    QCoreApplication::instance()->installNativeEventFilter(this);
    if (m_mode == Mode::intercept) applyGrabs();
    return true;
}

void X11KeyTap::destroy() {
    if (!m_created) return;
    m_created = false;
    // Once the application is gone so is its connection, and with it our grabs.
    if (qGuiApp) {
        ungrabAll();
        X11RootInputMask::select(m_connection, m_root, this, 0);
        QCoreApplication::instance()->removeNativeEventFilter(this);
    }
    m_grabs.clear();
    m_settleTimer.stop();
    m_merger.reset();
    m_callback = {};
}

bool X11KeyTap::isEnabled() const {
    // Asked every few seconds while idle: answered without a round trip to the server.
    return m_created && !m_stale && !xcb_connection_has_error(m_connection) &&
           X11RootInputMask::isHeld(rawKeyMask);
}

void X11KeyTap::enable() {
    if (!m_created) return;
    if (loadKeymap()) m_stale = false;
    X11RootInputMask::select(m_connection, m_root, this, rawKeyMask);
    if (m_mode == Mode::intercept) applyGrabs();
}

void X11KeyTap::setInterceptedKeys(const QSet<int>& keyCodes) {
    QSet<int> wanted;
    for (int code : keyCodes)
        if (isInterceptable(code)) wanted.insert(code);
    if (wanted == m_wanted) return;
    m_wanted = wanted;
    if (m_created && m_mode == Mode::intercept) applyGrabs();
}

QSet<quint32> X11KeyTap::grabbedKeycodes() const {
    QSet<quint32> keycodes;
    for (quint32 grab : m_grabs)
        keycodes.insert(grabKeycode(grab));
    return keycodes;
}

QHash<quint32, xcb_keysym_t> X11KeyTap::wantedGrabs() const {
    QHash<quint32, xcb_keysym_t> wanted;
    const QList<quint16> combinations = m_keymap.grabModifierCombinations();
    for (int code : std::as_const(m_wanted))
        for (xcb_keysym_t keysym : keysymsForAuxKeyCode(code))
            for (quint32 keycode : m_keymap.keycodesFor(keysym))
                for (quint16 modifiers : combinations)
                    wanted.insert(packGrab(keycode, modifiers), keysym);
    return wanted;
}

std::optional<QHash<xcb_keysym_t, quint32>> X11KeyTap::tryGrabs(const QHash<quint32, xcb_keysym_t>& grabs,
                                                                int timeoutMs, QSet<quint32>* taken) {
    struct Attempt {
        xcb_void_cookie_t cookie;
        quint32 grab;
    };
    std::vector<Attempt> attempts;
    for (auto it = grabs.cbegin(); it != grabs.cend(); ++it)
        // Asynchronous modes: the keyboard never freezes while we hold a key.
        attempts.push_back({xcb_grab_key_checked(m_connection, 0, m_root, grabModifiers(it.key()),
                                                 static_cast<xcb_keycode_t>(grabKeycode(it.key())),
                                                 XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
                            it.key()});
    if (timeoutMs >= 0 && !attempts.empty()) {
        // A reply to a later request means every grab before it has been decided, so the
        // checks below wait for nothing. Qt's reader thread may be the one that reads it.
        const xcb_get_input_focus_cookie_t fence = xcb_get_input_focus(m_connection);
        xcb_flush(m_connection);
        QElapsedTimer waited;
        waited.start();
        void* reply = nullptr;
        xcb_generic_error_t* error = nullptr;
        while (!xcb_poll_for_reply(m_connection, fence.sequence, &reply, &error)) {
            if (waited.elapsed() >= timeoutMs || xcb_connection_has_error(m_connection)) {
                for (const Attempt& attempt : attempts)
                    xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(grabKeycode(attempt.grab)),
                                   m_root, grabModifiers(attempt.grab));
                xcb_flush(m_connection);
                return std::nullopt;
            }
            QThread::msleep(1);
        }
        std::free(reply);
        std::free(error);
    }
    QHash<xcb_keysym_t, quint32> refused;
    for (const Attempt& attempt : attempts) {
        if (xcb_generic_error_t* error = xcb_request_check(m_connection, attempt.cookie)) {
            refused.insert(grabs.value(attempt.grab), attempt.grab);
            std::free(error);
        } else {
            taken->insert(attempt.grab);
        }
    }
    xcb_flush(m_connection);
    return refused;
}

void X11KeyTap::setRefusal(const QHash<xcb_keysym_t, quint32>& refused) {
    m_refusedGrabs = refused;
    if (refused.isEmpty()) {
        m_refusal.clear();
        return;
    }
    QStringList names;
    for (auto it = refused.cbegin(); it != refused.cend(); ++it)
        names << keysymName(it.key());
    names.sort();
    m_refusal = QStringLiteral("another program holds ") + names.join(QStringLiteral(", "));
}

void X11KeyTap::applyGrabs() {
    const QHash<quint32, xcb_keysym_t> desired =
        m_created && m_mode == Mode::intercept ? wantedGrabs() : QHash<quint32, xcb_keysym_t>();

    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        if (desired.contains(*it)) {
            ++it;
            continue;
        }
        xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(grabKeycode(*it)), m_root,
                       grabModifiers(*it));
        it = m_grabs.erase(it);
    }

    QHash<quint32, xcb_keysym_t> missing;
    for (auto it = desired.cbegin(); it != desired.cend(); ++it)
        if (!m_grabs.contains(it.key())) missing.insert(it.key(), it.value());
    const QHash<xcb_keysym_t, quint32> refused =
        tryGrabs(missing, -1, &m_grabs).value_or(QHash<xcb_keysym_t, quint32>());
    m_merger.setGrabbed(grabbedKeycodes());

    if (refused.isEmpty()) {
        if (!missing.isEmpty()) setRefusal({});
        return;
    }
    setRefusal(refused);
    notifyInterceptRefused(m_refusal);
}

bool X11KeyTap::probeIntercept() {
    if (!canListen() || m_isXWayland) return false;
    if ((!m_created || m_stale) && !loadKeymap()) return false;
    const bool intercepting = m_created && m_mode == Mode::intercept;
    QHash<quint32, xcb_keysym_t> grabs = wantedGrabs();
    // Keys already held are ours: asking for them again would tell nothing.
    for (quint32 grab : std::as_const(m_grabs))
        grabs.remove(grab);
    QSet<quint32> taken;
    const std::optional<QHash<xcb_keysym_t, quint32>> refused = tryGrabs(grabs, probeTimeoutMs, &taken);
    if (!refused) {
        m_refusal = QStringLiteral("the X server did not answer");
        m_refusedGrabs.clear();
        return false;
    }
    if (intercepting) {
        m_grabs.unite(taken);
        m_merger.setGrabbed(grabbedKeycodes());
    } else {
        for (quint32 grab : std::as_const(taken))
            xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(grabKeycode(grab)), m_root,
                           grabModifiers(grab));
        xcb_flush(m_connection);
    }
    setRefusal(*refused);
    return refused->isEmpty();
}

bool X11KeyTap::refusedKeysLookFree() {
    // Without a refused grab on record (the server did not answer, say) only the full try tells.
    if (m_refusedGrabs.isEmpty() || (m_created && m_mode == Mode::intercept)) return probeIntercept();
    // One refused grab per key: a program that still holds the key still holds that one,
    // and a single refusal costs the server and this program next to nothing.
    QHash<quint32, xcb_keysym_t> canaries;
    for (auto it = m_refusedGrabs.cbegin(); it != m_refusedGrabs.cend(); ++it)
        canaries.insert(it.value(), it.key());
    QSet<quint32> taken;
    const std::optional<QHash<xcb_keysym_t, quint32>> refused = tryGrabs(canaries, -1, &taken);
    // Only listening: a key kept here would reach no one.
    for (quint32 grab : std::as_const(taken))
        xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(grabKeycode(grab)), m_root,
                       grabModifiers(grab));
    xcb_flush(m_connection);
    if (!refused || !refused->isEmpty()) return false;
    // The refusal on record is stale; intercepting records a new one if need be.
    setRefusal({});
    return true;
}

void X11KeyTap::ungrabAll() {
    if (!m_connection) return;
    for (quint32 grab : std::as_const(m_grabs))
        xcb_ungrab_key(m_connection, static_cast<xcb_keycode_t>(grabKeycode(grab)), m_root,
                       grabModifiers(grab));
    m_grabs.clear();
    xcb_flush(m_connection);
    m_merger.setGrabbed({});
}

void X11KeyTap::markStale() {
    if (m_stale) return;
    m_stale = true;
    if (Callback callback = m_callback) callback(TapEvent::disabled());
}

void X11KeyTap::deliver(const std::vector<KeyStroke>& strokes) {
    for (const KeyStroke& stroke : strokes) {
        if (!m_created) return;
        const int aux = m_auxKeyCodes.value(stroke.keycode, -1);
        if (aux < 0) continue;
        // A copy: the callback may replace or remove the tap.
        if (Callback callback = m_callback)
            callback(TapEvent::auxKey(aux, stroke.isDown, stroke.isRepeat, stroke.shift, stroke.alt));
    }
}

void X11KeyTap::settleLater() {
    if (m_merger.hasPending() && !m_settleTimer.isActive()) m_settleTimer.start();
}

bool X11KeyTap::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!m_created || eventType != "xcb_generic_event_t") return false;
    auto* event = static_cast<xcb_generic_event_t*>(message);
    const quint8 type = event->response_type & 0x7F;

    if (type == XCB_GE_GENERIC) {
        auto* generic = reinterpret_cast<xcb_ge_generic_event_t*>(event);
        if (generic->extension != m_xiOpcode) return false;
        if (generic->event_type != XCB_INPUT_RAW_KEY_PRESS &&
            generic->event_type != XCB_INPUT_RAW_KEY_RELEASE)
            return false;
        auto* raw = reinterpret_cast<xcb_input_raw_key_press_event_t*>(event);
        deliver(m_merger.raw(raw->detail, generic->event_type == XCB_INPUT_RAW_KEY_PRESS, raw->time));
        settleLater();
        // Other parts of the program may listen to raw keys too.
        return false;
    }
    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
        if (key->event != m_root || !m_merger.isGrabbed(key->detail)) return false;
        deliver(m_merger.core(key->detail, type == XCB_KEY_PRESS, key->time, key->state & XCB_MOD_MASK_SHIFT,
                              key->state & m_keymap.altMask));
        settleLater();
        return true;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        auto* mapping = reinterpret_cast<xcb_mapping_notify_event_t*>(event);
        if (mapping->request != XCB_MAPPING_POINTER) markStale();
        return false;
    }
    if (m_hasXkb && type == m_xkbFirstEvent) {
        const quint8 xkbType = reinterpret_cast<const quint8*>(event)[1];
        if (xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify) markStale();
    }
    return false;
}

} // namespace vesk
