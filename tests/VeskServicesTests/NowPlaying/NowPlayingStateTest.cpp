#include "VeskServices/NowPlaying/NowPlayingState.h"
#include "VeskServices/NowPlaying/MediaCommand.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(NowPlayingStateTest, EmptyMeansNoTitleArtistOrAlbum) {
    NowPlayingState state;
    EXPECT_TRUE(state.isEmpty());
    state.genre = QStringLiteral("Jazz");
    state.isPlaying = true;
    EXPECT_TRUE(state.isEmpty());
    state.album = QStringLiteral("Low Tide");
    EXPECT_FALSE(state.isEmpty());
}

TEST(NowPlayingStateTest, PositionMovesOnAtTheRateWithinZeroAndTheDuration) {
    const Date now{1000};
    struct Case {
        const char* what;
        std::optional<double> elapsed;
        std::optional<double> asOfBefore; // seconds before now
        double rate;
        std::optional<double> duration;
        std::optional<double> expected;
    };
    const Case cases[] = {
        {"no elapsed", std::nullopt, 5.0, 1, 12.0, std::nullopt},
        {"no stamp", 10.0, std::nullopt, 1, 12.0, 10.0},
        {"paused keeps elapsed however old", 10.0, 3600.0, 0, 12.0, 10.0},
        {"capped at the duration", 10.0, 5.0, 1, 12.0, 12.0},
        {"no duration, no cap", 10.0, 5.0, 1, std::nullopt, 15.0},
        {"rewinding stops at 0", 3.0, 10.0, -1, std::nullopt, 0.0},
        {"double speed", 10.0, 1.0, 2, std::nullopt, 12.0},
        {"a stamp in the future moves back", 10.0, -2.0, 1, std::nullopt, 8.0},
    };
    for (const Case& c : cases) {
        NowPlayingState state;
        state.elapsed = c.elapsed;
        if (c.asOfBefore) state.elapsedAsOf = now - *c.asOfBefore;
        state.playbackRate = c.rate;
        state.duration = c.duration;
        EXPECT_EQ(state.position(now), c.expected) << c.what;
    }
}

TEST(NowPlayingStateTest, ItemKeyPrefersTheContentItemIdentifier) {
    NowPlayingState state;
    EXPECT_EQ(state.itemKey(), QString());
    state.title = QStringLiteral("Harbour Lights");
    state.album = QStringLiteral("Low Tide");
    EXPECT_EQ(state.itemKey(), QStringLiteral("Harbour Lights|Low Tide"));
    state.artist = QStringLiteral("The Quiet Hours");
    EXPECT_EQ(state.itemKey(), QStringLiteral("Harbour Lights|The Quiet Hours|Low Tide"));
    state.contentItemIdentifier = QString();
    EXPECT_EQ(state.itemKey(), QString()) << "an empty identifier still wins";
    state.contentItemIdentifier = QStringLiteral("/track/42");
    EXPECT_EQ(state.itemKey(), QStringLiteral("/track/42"));
}

TEST(MediaCommandTest, AdapterArgumentsOfEveryCommand) {
    struct Row {
        MediaCommand command;
        QStringList arguments;
    };
    const Row rows[] = {
        {MediaCommand::play(), {"send", "0"}},
        {MediaCommand::pause(), {"send", "1"}},
        {MediaCommand::toggle(), {"send", "2"}},
        {MediaCommand::next(), {"send", "4"}},
        {MediaCommand::previous(), {"send", "5"}},
        {MediaCommand::seek(12.3456), {"seek", "12.346"}},
        {MediaCommand::seek(0), {"seek", "0.000"}},
        {MediaCommand::speed(1.5), {"speed", "1.50"}},
        {MediaCommand::shuffle(ShuffleMode::collections), {"shuffle", "collections"}},
        {MediaCommand::shuffle(ShuffleMode::unknown), {"shuffle", "unknown"}},
        {MediaCommand::repeatMode(RepeatMode::one), {"repeat", "one"}},
        {MediaCommand::repeatMode(RepeatMode::off), {"repeat", "off"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.command.adapterArguments(), row.arguments);
}
