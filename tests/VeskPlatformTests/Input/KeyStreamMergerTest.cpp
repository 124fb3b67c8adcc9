#include "VeskPlatform/Input/KeyStreamMerger.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using vesk::KeyStreamMerger;
using vesk::KeyStroke;

namespace {

constexpr quint32 volumeUp = 123;
constexpr quint32 mute = 121;
constexpr quint32 shiftL = 50;
constexpr quint32 altL = 64;

// One input to the merger: a raw or core event, or a flush (the settle timer firing).
struct Step {
    enum Kind { raw, core, flush } kind;
    quint32 keycode = 0;
    bool down = false;
    quint32 time = 0;
    bool shift = false;
    bool alt = false;
};

Step rawDown(quint32 k, quint32 t) {
    return {Step::raw, k, true, t};
}
Step rawUp(quint32 k, quint32 t) {
    return {Step::raw, k, false, t};
}
Step coreDown(quint32 k, quint32 t, bool shift = false, bool alt = false) {
    return {Step::core, k, true, t, shift, alt};
}
Step coreUp(quint32 k, quint32 t) {
    return {Step::core, k, false, t};
}
Step settle() {
    return {Step::flush};
}

KeyStroke down(quint32 k, bool repeat = false, bool shift = false, bool alt = false) {
    return {k, true, repeat, shift, alt};
}
KeyStroke up(quint32 k) {
    return {k, false, false, false, false};
}

struct Case {
    const char* what;
    QSet<quint32> grabbed;
    std::vector<Step> steps;
    std::vector<KeyStroke> expected;
};

std::vector<KeyStroke> run(const Case& c) {
    KeyStreamMerger merger;
    merger.setModifierKeycodes({shiftL, 62}, {altL, 108});
    merger.setGrabbed(c.grabbed);
    std::vector<KeyStroke> out;
    for (const Step& s : c.steps) {
        std::vector<KeyStroke> got = s.kind == Step::raw ? merger.raw(s.keycode, s.down, s.time)
                                     : s.kind == Step::core
                                         ? merger.core(s.keycode, s.down, s.time, s.shift, s.alt)
                                         : merger.flush();
        out.insert(out.end(), got.begin(), got.end());
    }
    return out;
}

std::string describe(const std::vector<KeyStroke>& strokes) {
    std::string text;
    for (const KeyStroke& s : strokes)
        text += std::to_string(s.keycode) + (s.isDown ? " down" : " up") + (s.isRepeat ? " repeat" : "") +
                (s.shift ? " shift" : "") + (s.alt ? " alt" : "") + "; ";
    return text;
}

} // namespace

TEST(KeyStreamMergerTest, GivesOneStrokePerKeyEventWithShiftAndAltFromTheRawStream) {
    const Case cases[] = {
        {"listening: raw events pass at once",
         {},
         {rawDown(volumeUp, 10), rawUp(volumeUp, 20)},
         {down(volumeUp), up(volumeUp)}},
        {"grabbed: the raw twin of each core event is dropped",
         {volumeUp},
         {rawDown(volumeUp, 10), coreDown(volumeUp, 10), rawUp(volumeUp, 20), coreUp(volumeUp, 20), settle()},
         {down(volumeUp), up(volumeUp)}},
        {"grabbed: an auto-repeat (release and press at one time) is one repeated press",
         {volumeUp},
         {rawDown(volumeUp, 10), coreDown(volumeUp, 10), coreUp(volumeUp, 670), coreDown(volumeUp, 670),
          coreUp(volumeUp, 710), coreDown(volumeUp, 710), rawUp(volumeUp, 730), coreUp(volumeUp, 730),
          settle()},
         {down(volumeUp), down(volumeUp, true), down(volumeUp, true), up(volumeUp)}},
        {"grabbed: a release followed by a new press keeps both",
         {volumeUp},
         {coreDown(volumeUp, 10), coreUp(volumeUp, 20), coreDown(volumeUp, 30)},
         {down(volumeUp), up(volumeUp), down(volumeUp)}},
        {"grabbed but the grab did not fire (Control held): the raw events pass when settled",
         {volumeUp},
         {rawDown(volumeUp, 10), settle(), rawUp(volumeUp, 20), settle()},
         {down(volumeUp), up(volumeUp)}},
        {"a core event before its raw twin still gives one stroke",
         {volumeUp},
         {coreDown(volumeUp, 10), rawDown(volumeUp, 10), settle()},
         {down(volumeUp)}},
        {"keys not grabbed pass while a grabbed one is held",
         {volumeUp},
         {rawDown(volumeUp, 10), coreDown(volumeUp, 10), rawDown(mute, 15), rawUp(mute, 16)},
         {down(volumeUp), down(mute), up(mute)}},
        {"Shift alone",
         {},
         {rawDown(shiftL, 1), rawDown(volumeUp, 2)},
         {down(shiftL, false, true), down(volumeUp, false, true)}},
        {"Shift and Alt, then Shift released",
         {},
         {rawDown(shiftL, 1), rawDown(altL, 2), rawDown(volumeUp, 3), rawUp(shiftL, 4), rawDown(volumeUp, 5)},
         {down(shiftL, false, true),
          down(altL, false, true, true),
          down(volumeUp, false, true, true),
          {shiftL, false, false, false, true},
          down(volumeUp, false, false, true)}},
        {"a held raw twin keeps the modifiers of its own moment",
         {volumeUp},
         {rawDown(shiftL, 1), rawDown(altL, 2), rawDown(volumeUp, 3), rawUp(altL, 4), settle()},
         {down(shiftL, false, true),
          down(altL, false, true, true),
          {altL, false, false, true, false},
          down(volumeUp, false, true, true)}},
        {"a grabbed key's core event brings its own modifier state",
         {volumeUp},
         {rawDown(volumeUp, 3), coreDown(volumeUp, 3, true, true)},
         {down(volumeUp, false, true, true)}},
    };
    for (const Case& c : cases) {
        const std::vector<KeyStroke> got = run(c);
        EXPECT_EQ(got, c.expected) << c.what << "\n  got: " << describe(got);
    }
}

TEST(KeyStreamMergerTest, ModifiersHeldAtTheStartCount) {
    KeyStreamMerger merger;
    merger.setModifierKeycodes({shiftL}, {altL});
    merger.setHeld({shiftL, altL, 38});
    EXPECT_TRUE(merger.shiftHeld());
    EXPECT_TRUE(merger.altHeld());
    EXPECT_EQ(merger.raw(volumeUp, true, 1), std::vector<KeyStroke>{down(volumeUp, false, true, true)});
    merger.reset();
    EXPECT_FALSE(merger.shiftHeld());
}
