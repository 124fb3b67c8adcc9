#include "VeskServices/NowPlaying/NowPlayingPayload.h"

#include <gtest/gtest.h>

#include <QJsonDocument>

using namespace vesk;

namespace {

QJsonObject object(const char* json) {
    return QJsonDocument::fromJson(QByteArray(json)).object();
}

NowPlayingState full() {
    NowPlayingState state;
    mergeNowPlayingPayload(state, object(R"({"title":"T","artist":"A","album":"B","genre":"G","composer":"C",
                                     "bundleIdentifier":"org.example.Player","mediaType":"music",
                                     "contentItemIdentifier":"/t/1","artworkMimeType":"image/png",
                                     "duration":200.5,"trackNumber":3,"queueIndex":4,"totalQueueCount":9,
                                     "elapsedTime":12.5,"playbackRate":1,"playing":true,"isMusicApp":true,
                                     "shuffleMode":"items","repeatMode":"all","artworkData":"AAEC"})"),
                           Date{100});
    return state;
}

} // namespace

TEST(NowPlayingPayloadTest, EveryKeySetsItsField) {
    const NowPlayingState state = full();
    EXPECT_EQ(state.title, QStringLiteral("T"));
    EXPECT_EQ(state.artist, QStringLiteral("A"));
    EXPECT_EQ(state.album, QStringLiteral("B"));
    EXPECT_EQ(state.genre, QStringLiteral("G"));
    EXPECT_EQ(state.composer, QStringLiteral("C"));
    EXPECT_EQ(state.bundleIdentifier, QStringLiteral("org.example.Player"));
    EXPECT_EQ(state.mediaType, QStringLiteral("music"));
    EXPECT_EQ(state.contentItemIdentifier, QStringLiteral("/t/1"));
    EXPECT_EQ(state.artworkMimeType, QStringLiteral("image/png"));
    EXPECT_EQ(state.duration, 200.5);
    EXPECT_EQ(state.trackNumber, 3);
    EXPECT_EQ(state.queueIndex, 4);
    EXPECT_EQ(state.totalQueueCount, 9);
    EXPECT_EQ(state.elapsed, 12.5);
    EXPECT_EQ(state.elapsedAsOf, Date{100});
    EXPECT_EQ(state.playbackRate, 1);
    EXPECT_TRUE(state.isPlaying);
    EXPECT_TRUE(state.isMusicApp);
    EXPECT_EQ(state.shuffle, ShuffleMode::items);
    EXPECT_EQ(state.repeatMode, RepeatMode::all);
    EXPECT_EQ(state.artwork, QByteArray("\x00\x01\x02", 3));
}

TEST(NowPlayingPayloadTest, AbsentKeepsNullAndWrongTypesClearPerTheMergeTable) {
    struct Row {
        const char* payload;
        std::function<bool(const NowPlayingState&)> holds;
    };
    const Row rows[] = {
        {R"({})", [](const NowPlayingState& s) { return s == full(); }},
        {R"({"title":null})", [](const NowPlayingState& s) { return !s.title && s.artist; }},
        {R"({"title":7})", [](const NowPlayingState& s) { return !s.title; }},
        {R"({"album":true})", [](const NowPlayingState& s) { return !s.album; }},
        {R"({"duration":"long"})", [](const NowPlayingState& s) { return !s.duration; }},
        {R"({"trackNumber":3.9})", [](const NowPlayingState& s) { return s.trackNumber == 3; }},
        {R"({"trackNumber":-3.9})", [](const NowPlayingState& s) { return s.trackNumber == -3; }},
        {R"({"queueIndex":"4"})", [](const NowPlayingState& s) { return !s.queueIndex; }},
        {R"({"totalQueueCount":1e300})", [](const NowPlayingState& s) { return !s.totalQueueCount; }},
        {R"({"elapsedTime":null})",
         [](const NowPlayingState& s) { return !s.elapsed && s.elapsedAsOf == Date{200}; }},
        {R"({"elapsedTime":30})",
         [](const NowPlayingState& s) { return s.elapsed == 30.0 && s.elapsedAsOf == Date{200}; }},
        {R"({"playbackRate":null})", [](const NowPlayingState& s) { return s.playbackRate == 0; }},
        {R"({"playbackRate":"fast"})", [](const NowPlayingState& s) { return s.playbackRate == 0; }},
        {R"({"playing":"yes"})", [](const NowPlayingState& s) { return !s.isPlaying; }},
        {R"({"playing":null})", [](const NowPlayingState& s) { return !s.isPlaying; }},
        {R"({"isMusicApp":1})", [](const NowPlayingState& s) { return !s.isMusicApp; }},
        {R"({"shuffleMode":"Items"})", [](const NowPlayingState& s) { return !s.shuffle; }},
        {R"({"shuffleMode":"collections"})",
         [](const NowPlayingState& s) { return s.shuffle == ShuffleMode::collections; }},
        {R"({"repeatMode":"one"})", [](const NowPlayingState& s) { return s.repeatMode == RepeatMode::one; }},
        {R"({"repeatMode":2})", [](const NowPlayingState& s) { return !s.repeatMode; }},
        {R"({"artworkData":null})", [](const NowPlayingState& s) { return !s.artwork; }},
        {R"({"artworkData":"not base64!"})", [](const NowPlayingState& s) { return !s.artwork; }},
        {R"({"artworkData":42})",
         [](const NowPlayingState& s) { return s.artwork == QByteArray("\x00\x01\x02", 3); }},
        {R"({"artworkData":"AQID"})",
         [](const NowPlayingState& s) { return s.artwork == QByteArray("\x01\x02\x03"); }},
        {R"({"unknownKey":"x"})", [](const NowPlayingState& s) { return s == full(); }},
    };
    for (const Row& row : rows) {
        NowPlayingState state = full();
        mergeNowPlayingPayload(state, object(row.payload), Date{200});
        EXPECT_TRUE(row.holds(state)) << row.payload;
    }
}
