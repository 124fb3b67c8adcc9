// The event tap on a real X server (the test run's Xvfb), driven by xdotool.
#include "VeskServices/EventTap/EventTapService.h"

#include "support/EventLoop.h"
#include "support/X11/Bystander.h"
#include "support/X11/EventBarrier.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QProcess>

#include <X11/XF86keysym.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

using namespace vesk;
using vesk::test::Bystander;
using vesk::test::processEventsFor;
using vesk::test::processEventsUntil;
using vesk::test::xdotool;

namespace {

// Changes the keymap with xmodmap and puts the changed keycodes back as they were when
// it goes (the test X server keeps keymap changes between tests).
class KeymapChange {
public:
    KeymapChange(const QList<int>& keycodes, const QStringList& expressions) {
        QProcess print;
        print.start(QStringLiteral("xmodmap"), {QStringLiteral("-pke")});
        print.waitForFinished();
        for (const QString& line : QString::fromUtf8(print.readAllStandardOutput()).split(u'\n'))
            for (int keycode : keycodes)
                if (line.simplified().startsWith(QStringLiteral("keycode %1 =").arg(keycode)))
                    m_restore << QStringLiteral("-e") << line.simplified();
        QStringList args;
        for (const QString& e : expressions)
            args << QStringLiteral("-e") << e;
        EXPECT_EQ(QProcess::execute(QStringLiteral("xmodmap"), args), 0);
    }
    ~KeymapChange() {
        if (!m_restore.isEmpty()) QProcess::execute(QStringLiteral("xmodmap"), m_restore);
    }

private:
    QStringList m_restore;
};

class EventTapServiceX11Test : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb"));
        ASSERT_TRUE(bystander.ok());
        tap.setHandler([this](const MediaKeyEvent& event) {
            events.push_back(event);
            return true;
        });
        tap.setOnStatusChange([this](const EventTapService::Status& status) { statuses.push_back(status); });
    }
    void TearDown() override { tap.stop(); }

    // Waits for the key's release to reach the handler (it settles shortly after).
    bool waitForEvents(size_t count) {
        return processEventsUntil([&] { return events.size() >= count; });
    }
    // The bystander's presses of `keysym`, once it has at least one: its connection is
    // not ours, so its copy of a key may come a moment after ours.
    int bystanderPresses(xcb_keysym_t keysym) {
        processEventsUntil([&] { return bystander.presses(keysym) > 0; });
        return bystander.presses(keysym);
    }

    Bystander bystander;
    EventTapService tap;
    std::vector<MediaKeyEvent> events;
    std::vector<EventTapService::Status> statuses;
};

const MediaKeyEvent soundUpDown{MediaKey::soundUp, true, false, false};
const MediaKeyEvent soundUpUp{MediaKey::soundUp, false, false, false};

} // namespace

TEST_F(EventTapServiceX11Test, ListeningSeesTheKeyAndLeavesItToEveryoneElse) {
    EXPECT_EQ(tap.inputMonitoring(), EventTapService::InputMonitoring::granted);
    EXPECT_TRUE(tap.hasAccessibility());
    tap.setConsumableKeys({MediaKey::soundUp});
    ASSERT_EQ(tap.start(EventTapService::Mode::listen),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::listen}));
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    processEventsFor(100);
    EXPECT_EQ(events, (std::vector<MediaKeyEvent>{soundUpDown, soundUpUp}));
    EXPECT_EQ(bystanderPresses(XF86XK_AudioRaiseVolume), 1);
}

TEST_F(EventTapServiceX11Test, InterceptingTakesOnlyConsumableKeysFromEveryoneElse) {
    tap.setConsumableKeys({MediaKey::soundUp, MediaKey::soundDown});
    ASSERT_EQ(tap.start(EventTapService::Mode::intercept),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::intercept}));
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    processEventsFor(100);
    // Once each, though both the raw and the grabbed event arrived.
    EXPECT_EQ(events, (std::vector<MediaKeyEvent>{soundUpDown, soundUpUp}));
    EXPECT_EQ(bystander.presses(XF86XK_AudioRaiseVolume), 0);

    // Shift and Alt held: fine adjustment, and still taken.
    events.clear();
    ASSERT_TRUE(xdotool({"key", "shift+alt+XF86AudioLowerVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(events.front(), (MediaKeyEvent{MediaKey::soundDown, true, false, true}));
    EXPECT_EQ(bystander.presses(XF86XK_AudioLowerVolume), 0);

    // A key no longer consumable, or a stopped tap, leaves it to the system.
    tap.setConsumableKeys({});
    events.clear();
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    EXPECT_EQ(bystanderPresses(XF86XK_AudioRaiseVolume), 1);
    tap.setConsumableKeys({MediaKey::soundUp});
    tap.stop();
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(processEventsUntil([&] { return bystander.presses(XF86XK_AudioRaiseVolume) == 2; }));
}

TEST_F(EventTapServiceX11Test, MuteAndTransportKeysAreNeverTaken) {
    tap.setConsumableKeys({allMediaKeys.begin(), allMediaKeys.end()});
    tap.start(EventTapService::Mode::intercept);
    ASSERT_TRUE(xdotool({"key", "XF86AudioMute", "XF86AudioPlay"}));
    ASSERT_TRUE(waitForEvents(4));
    EXPECT_EQ(events[0], (MediaKeyEvent{MediaKey::mute, true, false, false}));
    EXPECT_EQ(events[2], (MediaKeyEvent{MediaKey::play, true, false, false}));
    EXPECT_EQ(bystanderPresses(XF86XK_AudioMute), 1);
    EXPECT_EQ(bystanderPresses(XF86XK_AudioPlay), 1);
}

TEST_F(EventTapServiceX11Test, AKeyAnotherProgramHoldsDegradesToListeningAndAskingAgainTriesTheKeys) {
    ASSERT_TRUE(bystander.grab(XF86XK_AudioRaiseVolume));
    tap.setConsumableKeys({MediaKey::soundUp, MediaKey::brightnessUp});
    ASSERT_EQ(tap.start(EventTapService::Mode::intercept),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::intercept}));
    ASSERT_TRUE(processEventsUntil([&] { return statuses.size() == 4; }));
    const std::vector<EventTapService::Status> expected{
        EventTapService::Running{EventTapService::Mode::intercept},
        EventTapService::Stopped{},
        EventTapService::Running{EventTapService::Mode::listen},
        EventTapService::DegradedToListen{QStringLiteral("another program holds XF86AudioRaiseVolume")},
    };
    EXPECT_EQ(statuses, expected);
    EXPECT_EQ(tap.mode(), EventTapService::Mode::listen);
    EXPECT_FALSE(tap.hasAccessibility());

    // Still heard, once, while the other program gets it.
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    processEventsFor(100);
    EXPECT_EQ(events, (std::vector<MediaKeyEvent>{soundUpDown, soundUpUp}));
    EXPECT_EQ(bystanderPresses(XF86XK_AudioRaiseVolume), 1);

    // Asking again tries the keys now: refused while the other program holds one, and
    // granted once it let go, without taking the key from it while only listening.
    EXPECT_FALSE(tap.requestAccessibility());
    EXPECT_FALSE(tap.hasAccessibility());
    bystander.release(XF86XK_AudioRaiseVolume);
    EXPECT_TRUE(tap.requestAccessibility());
    EXPECT_TRUE(tap.hasAccessibility());
    EXPECT_EQ(tap.mode(), EventTapService::Mode::listen);
    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(4));
    EXPECT_EQ(bystanderPresses(XF86XK_AudioRaiseVolume), 2);
}

TEST_F(EventTapServiceX11Test, AHeldInterceptedKeyRepeats) {
    tap.setConsumableKeys({MediaKey::brightnessUp});
    tap.start(EventTapService::Mode::intercept);
    // Xvfb repeats after 660 ms, then every 40 ms; held well beyond, for a busy server.
    ASSERT_TRUE(xdotool({"keydown", "XF86MonBrightnessUp", "sleep", "1.5", "keyup", "XF86MonBrightnessUp"}));
    ASSERT_TRUE(processEventsUntil([&] { return !events.empty() && !events.back().isDown; }));
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events.front(), (MediaKeyEvent{MediaKey::brightnessUp, true, false, false}));
    EXPECT_EQ(events.back(), (MediaKeyEvent{MediaKey::brightnessUp, false, false, false}));
    for (size_t i = 1; i + 1 < events.size(); ++i)
        EXPECT_EQ(events[i], (MediaKeyEvent{MediaKey::brightnessUp, true, true, false})) << i;
    EXPECT_EQ(bystander.presses(XF86XK_MonBrightnessUp), 0);
}

TEST_F(EventTapServiceX11Test, AKeyMovedToAnotherKeycodeIsTakenThere) {
    tap.setConsumableKeys({MediaKey::soundUp});
    tap.start(EventTapService::Mode::intercept);
    const xcb_keycode_t from = bystander.keycodeOf(XF86XK_AudioRaiseVolume);
    const xcb_keycode_t to = bystander.freeKeycode();
    ASSERT_NE(from, 0);
    ASSERT_NE(to, 0);
    KeymapChange change({from, to}, {QStringLiteral("keycode %1 = XF86AudioRaiseVolume").arg(to),
                                     QStringLiteral("keycode %1 = NoSymbol").arg(from)});
    ASSERT_TRUE(processEventsUntil([&] { return bystander.keycodeOf(XF86XK_AudioRaiseVolume) == to; }));
    // The tap moves its grabs as it handles the server's notice of the change.
    ASSERT_TRUE(test::waitForX11EventsSoFar()) << "the keymap change never reached us";

    ASSERT_TRUE(xdotool({"key", "XF86AudioRaiseVolume"}));
    ASSERT_TRUE(waitForEvents(2));
    processEventsFor(100);
    EXPECT_EQ(events, (std::vector<MediaKeyEvent>{soundUpDown, soundUpUp}));
    EXPECT_EQ(bystander.presses(XF86XK_AudioRaiseVolume), 0);
    EXPECT_TRUE(isRunning(tap.status()));
}
