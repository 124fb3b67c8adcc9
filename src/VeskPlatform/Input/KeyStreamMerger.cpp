#include "VeskPlatform/Input/KeyStreamMerger.h"

#include <algorithm>

namespace vesk {

void KeyStreamMerger::setModifierKeycodes(QSet<quint32> shiftKeycodes, QSet<quint32> altKeycodes) {
    m_shiftKeycodes = std::move(shiftKeycodes);
    m_altKeycodes = std::move(altKeycodes);
    m_heldShift.intersect(m_shiftKeycodes);
    m_heldAlt.intersect(m_altKeycodes);
}

void KeyStreamMerger::setGrabbed(QSet<quint32> keycodes) {
    m_grabbed = std::move(keycodes);
}

void KeyStreamMerger::setHeld(const QSet<quint32>& keycodes) {
    m_heldShift = keycodes & m_shiftKeycodes;
    m_heldAlt = keycodes & m_altKeycodes;
}

void KeyStreamMerger::reset() {
    m_heldShift.clear();
    m_heldAlt.clear();
    m_pending.clear();
    m_lastCore.clear();
}

std::vector<KeyStroke> KeyStreamMerger::raw(quint32 keycode, bool isDown, quint32 time) {
    if (m_shiftKeycodes.contains(keycode)) {
        if (isDown)
            m_heldShift.insert(keycode);
        else
            m_heldShift.remove(keycode);
    }
    if (m_altKeycodes.contains(keycode)) {
        if (isDown)
            m_heldAlt.insert(keycode);
        else
            m_heldAlt.remove(keycode);
    }
    const KeyStroke stroke{keycode, isDown, false, shiftHeld(), altHeld()};
    if (!m_grabbed.contains(keycode)) return {stroke};
    // The grab's own event came first: this is its twin.
    const auto seen = m_lastCore.constFind(keycode);
    if (seen != m_lastCore.cend() && seen->time == time && seen->isDown == isDown) return {};
    m_pending.push_back({stroke, time, false});
    return {};
}

std::vector<KeyStroke> KeyStreamMerger::core(quint32 keycode, bool isDown, quint32 time, bool shift,
                                             bool alt) {
    m_lastCore.insert(keycode, {time, isDown});
    const auto matches = [&](bool fromCore, bool down) {
        return [=](const Pending& p) {
            return p.fromCore == fromCore && p.stroke.keycode == keycode && p.stroke.isDown == down &&
                   p.time == time;
        };
    };
    // The raw twin of this very event is not a key event of its own.
    m_pending.erase(std::remove_if(m_pending.begin(), m_pending.end(), matches(false, isDown)),
                    m_pending.end());

    if (!isDown) {
        m_pending.push_back({{keycode, false, false, shift, alt}, time, true});
        return {};
    }
    // Auto-repeat without detectable repeat: a release and a press at the same time.
    const auto release = std::find_if(m_pending.begin(), m_pending.end(), matches(true, false));
    const bool isRepeat = release != m_pending.end();
    if (isRepeat) m_pending.erase(release);
    std::vector<KeyStroke> out = flush();
    out.push_back({keycode, true, isRepeat, shift, alt});
    return out;
}

std::vector<KeyStroke> KeyStreamMerger::flush() {
    std::vector<KeyStroke> out;
    out.reserve(m_pending.size());
    for (const Pending& p : m_pending)
        out.push_back(p.stroke);
    m_pending.clear();
    return out;
}

} // namespace vesk
