#pragma once

#include <QSet>
#include <QString>

#include <functional>

namespace vesk {

// One event from the key tap, in the system-defined form of auxiliary control keys:
// `data1` packs the auxiliary key code (bits 16-31), the key state (bits 8-15: 0x0A down,
// 0x0B up) and the repeat flag (bit 0); `modifierFlags` carries Shift (0x20000) and
// Alt (0x80000).
struct TapEvent {
    enum class Kind {
        event,
        // The tap stopped working as set up (the keyboard mapping changed under its
        // grabs); enable() sets it up again.
        tapDisabled,
    };
    static constexpr int systemDefinedType = 14;
    static constexpr int auxControlButtonsSubtype = 8;
    static constexpr quint64 shiftFlag = 0x20000;
    static constexpr quint64 altFlag = 0x80000;
    static constexpr int keyDownState = 0x0A;
    static constexpr int keyUpState = 0x0B;

    Kind kind = Kind::event;
    int type = 0;
    int subtype = 0;
    qint64 data1 = 0;
    quint64 modifierFlags = 0;

    static TapEvent auxKey(int keyCode, bool isDown, bool isRepeat, bool shift, bool alt);
    static TapEvent disabled() { return {Kind::tapDisabled, 0, 0, 0, 0}; }

    friend bool operator==(const TapEvent&, const TapEvent&) = default;
};

inline TapEvent TapEvent::auxKey(int keyCode, bool isDown, bool isRepeat, bool shift, bool alt) {
    const qint64 flags = (qint64(isDown ? keyDownState : keyUpState) << 8) | (isRepeat ? 1 : 0);
    return {Kind::event, systemDefinedType, auxControlButtonsSubtype, (qint64(keyCode) << 16) | flags,
            (shift ? shiftFlag : 0) | (alt ? altFlag : 0)};
}

// Watches the media keys and, when intercepting, takes some of them for this program.
class KeyTap {
public:
    enum class Mode {
        listen,    // see the keys; they still reach everyone else
        intercept, // also take the keys named by setInterceptedKeys from everyone else
    };
    // Returns whether the key was consumed; a tap that cannot hand a key back to the
    // system decides by what it intercepts, not by this answer.
    using Callback = std::function<bool(const TapEvent&)>;

    virtual ~KeyTap() = default;

    // Whether listening can work here (the input-monitoring check).
    virtual bool canListen() const = 0;
    // Whether intercepting can work here (the accessibility check).
    virtual bool canIntercept() const = 0;
    // Asks afresh: tries now to take the keys named by setInterceptedKeys, keeps them
    // only while intercepting, and answers whether no other program holds any of them.
    // canIntercept follows the answer. Blocks for at most probeTimeoutMs.
    virtual bool probeIntercept() = 0;
    static constexpr int probeTimeoutMs = 1000;
    // For a check repeated while listening: like probeIntercept, but a tap may try only
    // some of the keys refused last (and keeps none), so a true answer is a hint that
    // intercepting may work now, not a promise. canIntercept follows the answer.
    virtual bool refusedKeysLookFree() { return probeIntercept(); }

    // Installs the tap; false when it cannot be made. Replaces an installed one.
    virtual bool create(Mode mode, Callback callback) = 0;
    virtual void destroy() = 0;
    virtual bool isEnabled() const = 0;
    virtual void enable() = 0;

    // The auxiliary key codes to take while intercepting. Only the volume up and down,
    // brightness up and down and keyboard illumination up and down keys (0, 1, 2, 3, 21,
    // 22) are ever taken; others are ignored.
    virtual void setInterceptedKeys(const QSet<int>& keyCodes) = 0;

    // Called when intercepting a key was refused (another program holds it), with a
    // reason for people to read. The tap keeps listening.
    void setOnInterceptRefused(std::function<void(const QString&)> callback) {
        m_onInterceptRefused = std::move(callback);
    }

    static bool isInterceptable(int keyCode) {
        return keyCode == 0 || keyCode == 1 || keyCode == 2 || keyCode == 3 || keyCode == 21 || keyCode == 22;
    }

protected:
    void notifyInterceptRefused(const QString& reason) const {
        if (m_onInterceptRefused) m_onInterceptRefused(reason);
    }

private:
    std::function<void(const QString&)> m_onInterceptRefused;
};

} // namespace vesk
