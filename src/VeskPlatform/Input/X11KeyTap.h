#pragma once

#include "VeskPlatform/Input/KeyStreamMerger.h"
#include "VeskPlatform/Input/KeyTap.h"
#include "VeskPlatform/Input/X11Keymap.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <QTimer>

#include <optional>

namespace vesk {

// The key tap on X11, through Qt's own connection to the X server.
// Listening selects XInput2 (2.1 or later) raw key events on the root window: they show
// every key, also keys another program has grabbed. Intercepting also takes passive,
// asynchronous grabs of the keys named by setInterceptedKeys (only the six that can be
// taken), on every keycode carrying each key's keysym and under every combination of
// Shift, Alt, Caps Lock and Num Lock; a grab another program already holds is refused
// by the server and reported. Everything runs on the main thread, inside Qt's event
// processing. Without an X11 display nothing can be made.
class X11KeyTap final : public KeyTap, private QAbstractNativeEventFilter {
public:
    X11KeyTap();
    ~X11KeyTap() override;

    bool canListen() const override;
    bool canIntercept() const override;
    bool probeIntercept() override;
    bool refusedKeysLookFree() override;

    bool create(Mode mode, Callback callback) override;
    void destroy() override;
    bool isEnabled() const override;
    void enable() override;
    void setInterceptedKeys(const QSet<int>& keyCodes) override;

    // Keycodes grabbed now, and the last refusal's reason (empty when none).
    QSet<quint32> grabbedKeycodes() const;
    const QString& lastRefusal() const { return m_refusal; }

    // How long a grabbed key's release (or raw twin) waits for the event that explains it.
    static constexpr int settleMs = 25;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    bool loadKeymap();
    void applyGrabs();
    // Every grab the wanted keys need (keycode << 16 | modifiers), with its keysym.
    QHash<quint32, xcb_keysym_t> wantedGrabs() const;
    // Takes `grabs` in one round trip; refused ones are returned by keysym, each with one
    // of its refused grabs. None when the server did not answer within `timeoutMs` (then
    // nothing is kept).
    std::optional<QHash<xcb_keysym_t, quint32>> tryGrabs(const QHash<quint32, xcb_keysym_t>& grabs,
                                                         int timeoutMs, QSet<quint32>* taken);
    void setRefusal(const QHash<xcb_keysym_t, quint32>& refused);
    void ungrabAll();
    void markStale();
    void deliver(const std::vector<KeyStroke>& strokes);
    void settleLater();

    // Set only where XInput2 2.1 or later answers.
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    quint8 m_xiOpcode = 0;
    quint8 m_xkbFirstEvent = 0;
    bool m_hasXkb = false;
    bool m_isXWayland = false;

    bool m_created = false;
    bool m_stale = false;
    Mode m_mode = Mode::listen;
    Callback m_callback;
    QSet<int> m_wanted;
    QSet<quint32> m_grabs; // keycode << 16 | modifiers
    X11Keymap m_keymap;
    QHash<quint32, int> m_auxKeyCodes; // keycode -> auxiliary key code
    KeyStreamMerger m_merger;
    QTimer m_settleTimer;
    QString m_refusal;
    QHash<xcb_keysym_t, quint32> m_refusedGrabs;
};

} // namespace vesk
