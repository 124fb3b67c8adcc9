#pragma once

#include <QSet>

#include <vector>

namespace vesk {

// One key going down or up, with the Shift and Alt state at that moment.
struct KeyStroke {
    quint32 keycode = 0;
    bool isDown = false;
    bool isRepeat = false;
    bool shift = false;
    bool alt = false;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// Merges the two streams an X11 key tap sees into one stroke per key event:
// - raw XInput2 events, which every key produces (also keys others have grabbed) but
//   which carry no repeat flag and none for auto-repeats;
// - core events of the keys we grab, which also carry auto-repeats, as a release and a
//   press with the same time stamp.
// The raw twin of a grabbed key's core event (same key, same time) is dropped; a raw
// event of a grabbed key whose core event never comes (the grab did not match, say with
// Control held) is let through when flushed. A core release is held until flushed, so a
// press with its time stamp turns it into one repeat. Shift and Alt are tracked from the
// raw stream (a later query would give the state at query time, not at the key's).
class KeyStreamMerger {
public:
    void setModifierKeycodes(QSet<quint32> shiftKeycodes, QSet<quint32> altKeycodes);
    // Keycodes whose presses we take by grab.
    void setGrabbed(QSet<quint32> keycodes);
    // Modifier keys already held when the stream starts.
    void setHeld(const QSet<quint32>& keycodes);
    void reset();

    std::vector<KeyStroke> raw(quint32 keycode, bool isDown, quint32 time);
    std::vector<KeyStroke> core(quint32 keycode, bool isDown, quint32 time, bool shift, bool alt);
    // Lets out everything held back; the owner calls it shortly after anything is pending.
    std::vector<KeyStroke> flush();
    bool hasPending() const { return !m_pending.empty(); }

    bool isGrabbed(quint32 keycode) const { return m_grabbed.contains(keycode); }
    bool shiftHeld() const { return !m_heldShift.isEmpty(); }
    bool altHeld() const { return !m_heldAlt.isEmpty(); }

private:
    struct Pending {
        KeyStroke stroke;
        quint32 time;
        bool fromCore;
    };
    struct CoreSeen {
        quint32 time;
        bool isDown;
    };

    QSet<quint32> m_shiftKeycodes;
    QSet<quint32> m_altKeycodes;
    QSet<quint32> m_heldShift;
    QSet<quint32> m_heldAlt;
    QSet<quint32> m_grabbed;
    std::vector<Pending> m_pending;
    QHash<quint32, CoreSeen> m_lastCore;
};

} // namespace vesk
