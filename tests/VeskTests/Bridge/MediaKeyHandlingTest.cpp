#include "BridgeHarness.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

MediaKeyEvent keyUp(MediaKey key) {
    return MediaKeyEvent{key, false, false, false};
}

} // namespace

TEST(MediaKeyHandlingTest, LevelKeysStepByASixteenthOrASixtyFourth) {
    struct Row {
        MediaKey key;
        bool fine;
        double before;
        double after;
    };
    const QList<Row> rows{
        {MediaKey::brightnessUp, false, 0.5, 0.5625},   {MediaKey::brightnessUp, true, 0.5, 0.515625},
        {MediaKey::brightnessDown, false, 0.5, 0.4375}, {MediaKey::brightnessDown, true, 0.5, 0.484375},
        {MediaKey::brightnessUp, false, 1.0, 1.0},      {MediaKey::brightnessDown, false, 0.03, 0.0},
        {MediaKey::illuminationUp, false, 0.5, 0.5625}, {MediaKey::illuminationDown, true, 0.5, 0.484375},
        {MediaKey::illuminationUp, false, 1.0, 1.0},    {MediaKey::illuminationDown, false, 0.0, 0.0},
        {MediaKey::soundUp, false, 0.5, 0.5625},        {MediaKey::soundUp, true, 0.5, 0.515625},
        {MediaKey::soundDown, false, 0.5, 0.4375},      {MediaKey::soundDown, true, 0.5, 0.484375},
        {MediaKey::soundUp, false, 1.0, 1.0},           {MediaKey::soundDown, false, 0.02, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(caseName(row.key).toStdString() + (row.fine ? " fine " : " ") +
                     std::to_string(row.before));
        BridgeHarness h;
        h.audio.setReady({BridgeHarness::speakers(row.before)});
        h.start();
        h.interceptKeys();
        h.display->level = row.before;
        h.backlight->level = row.before;
        EXPECT_TRUE(h.bridge->handleMediaKey(keyDown(row.key, row.fine)));
        std::vector<double> writes = isBrightness(row.key) ? h.display->writes : h.backlight->writes;
        if (row.key == MediaKey::soundUp || row.key == MediaKey::soundDown) {
            writes.clear();
            for (const auto& request : h.audio.volumeRequests)
                writes.push_back(request.second);
            // The sound pill follows the new level.
            h.run();
            const QList<ActivityPayload> shown = h.takePresented();
            ASSERT_EQ(shown.size(), 1);
            EXPECT_EQ(shown[0].trailing, ActivityTrailing::bar(row.after));
        }
        ASSERT_EQ(writes.size(), 1u);
        EXPECT_DOUBLE_EQ(writes[0], row.after);
    }
}

TEST(MediaKeyHandlingTest, AVolumeThatCannotBeSetIsNeverSwallowed) {
    {
        BridgeHarness h;
        AudioHardwareDevice device = BridgeHarness::speakers(0.5);
        device.volume = std::nullopt;
        h.audio.setReady({device});
        h.start();
        h.interceptKeys();
        EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::soundUp)));
        EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::soundDown)));
        EXPECT_TRUE(h.audio.volumeRequests.isEmpty());
    }
    // No output device at all.
    BridgeHarness h;
    h.audio.setReady({});
    h.start();
    EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::soundUp)));
    EXPECT_TRUE(h.audio.volumeRequests.isEmpty());
    EXPECT_FALSE(h.bridge->eventTap().consumableKeys().contains(MediaKey::soundUp));
}

TEST(MediaKeyHandlingTest, KeysTheBridgeCannotApplyGoToTheSystem) {
    BridgeHarness h(false);
    h.start();
    const Date pressed = h.scheduler.now();
    // No brightness source: the key is left alone but still stamped.
    EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::brightnessDown)));
    EXPECT_EQ(h.bridge->keyIntent().stampOf(KeyIntent::brightness), pressed);
    EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::illuminationUp)));
    EXPECT_EQ(h.bridge->keyIntent().stampOf(KeyIntent::illumination), pressed);

    for (MediaKey key : {MediaKey::mute, MediaKey::play, MediaKey::next, MediaKey::previous, MediaKey::fast,
                         MediaKey::rewind})
        EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(key))) << caseName(key).toStdString();
    EXPECT_TRUE(h.audio.volumeRequests.isEmpty()) << "mute is left to the system";
}

TEST(MediaKeyHandlingTest, ARefusedWriteLeavesTheKeyToTheSystem) {
    BridgeHarness h;
    h.start();
    h.interceptKeys();
    h.display->refuseWrites();
    h.backlight->writable = false;
    EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::brightnessUp)));
    EXPECT_FALSE(h.bridge->handleMediaKey(keyDown(MediaKey::illuminationUp)));
    EXPECT_TRUE(h.display->writes.empty());
}

TEST(MediaKeyHandlingTest, AKeyUpIsNeverStampedNorTaken) {
    BridgeHarness h;
    h.start();
    for (MediaKey key : allMediaKeys)
        EXPECT_FALSE(h.bridge->handleMediaKey(keyUp(key))) << caseName(key).toStdString();
    EXPECT_FALSE(h.bridge->keyIntent().stampOf(KeyIntent::brightness));
    EXPECT_FALSE(h.bridge->keyIntent().stampOf(KeyIntent::illumination));
    EXPECT_TRUE(h.display->writes.empty());
    EXPECT_TRUE(h.backlight->writes.empty());
}

TEST(MediaKeyHandlingTest, TheTapInterceptsOnlyWhenAskedAndOnlyWhatTheBridgeCanApply) {
    BridgeHarness::enableTracing();
    {
        BridgeHarness h;
        h.start();
        EXPECT_EQ(h.bridge->eventTap().mode(), EventTapService::Mode::listen) << "suppressSystemHUD is off";
    }
    BridgeHarness h;
    h.settings.setSuppressSystemHUD(true);
    h.start();
    EXPECT_EQ(h.bridge->eventTap().status(),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::intercept}));
    EXPECT_EQ(
        h.bridge->eventTap().consumableKeys(),
        (QSet<MediaKey>{MediaKey::soundUp, MediaKey::soundDown, MediaKey::brightnessUp,
                        MediaKey::brightnessDown, MediaKey::illuminationUp, MediaKey::illuminationDown}));
    EXPECT_TRUE(h.traced(u"event tap start(intercept) → running(intercept)"_qs));

    // A key from the tap reaches the handler and is swallowed.
    EXPECT_TRUE(h.tap->send(TapEvent::auxKey(toRaw(MediaKey::brightnessUp), true, false, false, false)));
    EXPECT_EQ(h.display->writes, std::vector<double>{0.5625});

    // A backlight that goes away is no longer taken from the system.
    h.backlight->setAvailable(false);
    h.run();
    EXPECT_EQ(h.bridge->eventTap().consumableKeys(),
              (QSet<MediaKey>{MediaKey::soundUp, MediaKey::soundDown, MediaKey::brightnessUp,
                              MediaKey::brightnessDown}));
    h.display->refuseWrites();
    h.run();
    EXPECT_EQ(h.bridge->eventTap().consumableKeys(),
              (QSet<MediaKey>{MediaKey::soundUp, MediaKey::soundDown}));
    // An output whose volume cannot be set keeps its keys too.
    h.changeOutput([](AudioHardwareDevice& device) { device.volume = std::nullopt; });
    EXPECT_TRUE(h.bridge->eventTap().consumableKeys().isEmpty());
}
