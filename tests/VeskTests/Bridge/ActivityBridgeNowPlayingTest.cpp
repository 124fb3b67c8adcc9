#include "BridgeHarness.h"

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

NowPlayingState playing(const QString& title, bool isPlaying = true) {
    NowPlayingState state;
    state.isPlaying = isPlaying;
    state.title = title;
    state.artist = QStringLiteral("Artist");
    state.playbackRate = isPlaying ? 1 : 0;
    return state;
}

// A bridge started with a now-playing item already playing (the priming state).
struct NowPlaying : BridgeHarness {
    NowPlaying() {
        bridge->setOnCurrentChanged([this] { ++currentChanges; });
        bridge->setOnNowPlayingChange([this](const NowPlayingState& state) { seen << state; });
        start();
    }
    void publish(const NowPlayingState& state) {
        media->publish(state);
        run();
    }
    int currentChanges = 0;
    QList<NowPlayingState> seen;
};

} // namespace

TEST(ActivityBridgeNowPlayingTest, TheAdapterStartsOnlyWhenItsSelfTestPasses) {
    BridgeHarness::enableTracing();
    {
        BridgeHarness h;
        EXPECT_FALSE(h.bridge->isUniversalNowPlaying()) << "not started yet";
        h.start();
        EXPECT_EQ(h.selfTestTimeout, 5.0);
        EXPECT_EQ(h.media->starts, 1);
        EXPECT_TRUE(h.bridge->isUniversalNowPlaying());
    }
    BridgeHarness h;
    h.selfTestPasses = false;
    h.start();
    EXPECT_EQ(h.media->starts, 0);
    EXPECT_FALSE(h.bridge->isUniversalNowPlaying()) << "a source that never started reads nothing";
    h.media->publish(playing(QStringLiteral("Unheard")));
    h.run();
    EXPECT_FALSE(h.coordinator.ambient());
    EXPECT_TRUE(BridgeHarness::traced(u"media adapter present, selfTest=false at "_qs +
                                      ActivityBridge::resourcesDirectory()));
}

TEST(ActivityBridgeNowPlayingTest, OnePillPerNewItemAndNoneOnResume) {
    BridgeHarness::enableTracing();
    NowPlaying h;
    h.publish(playing(QStringLiteral("A")));
    EXPECT_TRUE(h.presented.isEmpty()) << "the first item primes";
    EXPECT_EQ(h.bridge->lastMediaItemKey(), QStringLiteral("A|Artist"));
    ASSERT_TRUE(h.coordinator.ambient());
    EXPECT_EQ(h.coordinator.ambient()->priority, ActivityPriority::ambient);
    EXPECT_EQ(h.coordinator.ambient()->duration, 3600);

    h.publish(playing(QStringLiteral("A"), false));
    EXPECT_FALSE(h.coordinator.ambient());
    h.publish(playing(QStringLiteral("A")));
    EXPECT_TRUE(h.presented.isEmpty()) << "resuming is not new";

    NowPlayingState b = playing(QStringLiteral("B"));
    b.artwork = QByteArray("png");
    h.publish(b);
    h.publish(b);
    QList<ActivityPayload> shown = h.takePresented();
    ASSERT_EQ(shown.size(), 1);
    const ActivityPayload& pill = shown[0];
    EXPECT_EQ(pill.kind, ActivityKind::nowPlaying);
    EXPECT_EQ(pill.priority, ActivityPriority::queued);
    EXPECT_EQ(pill.dedupeKey, QStringLiteral("nowPlaying-B|Artist"));
    EXPECT_EQ(pill.leading, ActivityGlyph::artwork(QByteArray("png")));
    EXPECT_EQ(pill.title, QStringLiteral("B"));
    EXPECT_EQ(pill.subtitle, QStringLiteral("Artist"));
    EXPECT_EQ(pill.trailing, ActivityTrailing::waveform(true));
    EXPECT_EQ(pill.duration, 10);
    EXPECT_EQ(pill.interaction, ActivityInteraction::openDesk(DeskTab::desk));

    // An item that arrives paused gives its pill when it plays.
    h.coordinator.dismissCurrent();
    h.publish(playing(QStringLiteral("C"), false));
    EXPECT_TRUE(h.presented.isEmpty());
    h.publish(playing(QStringLiteral("C")));
    EXPECT_EQ(h.presentedKeys(), QStringList{QStringLiteral("nowPlaying-C|Artist")});

    // Every state reaches the shell first, in order.
    EXPECT_EQ(h.seen.size(), 7);
    EXPECT_EQ(h.seen.last().title, QStringLiteral("C"));
    EXPECT_TRUE(h.traced(QStringLiteral("media primed, suppressing first pill")));
    EXPECT_TRUE(h.traced(QStringLiteral("media EMIT B")));
    EXPECT_TRUE(h.traced(QStringLiteral("media playing=true title=B key=B|Artist art=3")));
    EXPECT_TRUE(h.traced(QStringLiteral("media playing=false title=A key=A|Artist art=0")));
}

TEST(ActivityBridgeNowPlayingTest, PausingEndsTheShowingAmbientCopyAndTellsTheSurface) {
    NowPlaying h;
    h.publish(playing(QStringLiteral("A")));
    h.publish(playing(QStringLiteral("B")));
    ASSERT_EQ(h.takePresented().size(), 1);
    h.run(10);
    ASSERT_TRUE(h.coordinator.tick());
    ASSERT_TRUE(h.coordinator.current());
    EXPECT_EQ(h.coordinator.current()->priority, ActivityPriority::ambient);
    EXPECT_EQ(h.coordinator.current()->trailing, ActivityTrailing::waveform(true));

    h.publish(playing(QStringLiteral("B"), false));
    EXPECT_FALSE(h.coordinator.current());
    EXPECT_FALSE(h.coordinator.ambient());
    EXPECT_EQ(h.currentChanges, 1);

    // Nothing showing: pausing again tells nobody.
    h.publish(playing(QStringLiteral("B"), false));
    EXPECT_EQ(h.currentChanges, 1);
}

TEST(ActivityBridgeNowPlayingTest, AShowingAmbientCopyFollowsTheNewestState) {
    NowPlaying h;
    h.publish(playing(QStringLiteral("A")));
    h.coordinator.dismissCurrent(); // nothing else due: the ambient copy shows
    ASSERT_TRUE(h.coordinator.current());
    ASSERT_EQ(h.coordinator.current()->leading, ActivityGlyph::symbol(QStringLiteral("music.note")));

    // The same state again changes nothing on screen.
    h.publish(playing(QStringLiteral("A")));
    EXPECT_EQ(h.currentChanges, 0);

    // The artwork arrives after the title.
    NowPlayingState withArt = playing(QStringLiteral("A"));
    withArt.artwork = QByteArray("jpeg");
    h.publish(withArt);
    EXPECT_EQ(h.currentChanges, 1);
    ASSERT_TRUE(h.coordinator.current());
    EXPECT_EQ(h.coordinator.current()->leading, ActivityGlyph::artwork(QByteArray("jpeg")));
    EXPECT_EQ(h.coordinator.current()->priority, ActivityPriority::ambient);
}

TEST(ActivityBridgeNowPlayingTest, TheNowPlayingSwitches) {
    {
        NowPlaying h;
        h.settings.setNowPlayingPeekOnChange(false);
        h.publish(playing(QStringLiteral("A")));
        h.publish(playing(QStringLiteral("B")));
        EXPECT_TRUE(h.presented.isEmpty());
        ASSERT_TRUE(h.coordinator.ambient()) << "the ambient copy is unchanged";
        EXPECT_EQ(h.coordinator.ambient()->title, QStringLiteral("B"));
    }
    NowPlaying h;
    h.settings.setNowPlayingEnabled(false);
    h.publish(playing(QStringLiteral("A")));
    h.publish(playing(QStringLiteral("B")));
    EXPECT_TRUE(h.presented.isEmpty());
    EXPECT_FALSE(h.coordinator.ambient());
    EXPECT_EQ(h.seen.size(), 2) << "the desk still learns what plays";
}
