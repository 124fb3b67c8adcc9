#include "VeskServices/NowPlaying/MediaRemoteSource.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/NowPlaying/FakeAdapter.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace vesk;
using vesk::test::processEventsFor;
using vesk::test::processEventsUntil;

namespace {

class MediaRemoteSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(adapter.ok());
        source = MediaRemoteSource::create(adapter.folder(), {.queueScheduler = &scheduler, .clock = &clock});
        ASSERT_TRUE(source);
        source->states().consume(
            nullptr, [this](NowPlayingState state) { states.push_back(state); }, scheduler);
    }

    // Starts the source and waits for its stream run to be reading.
    void startStreaming() {
        source->start();
        scheduler.runPending();
        ASSERT_TRUE(adapter.openStream());
    }

    bool waitForStates(int count) {
        return processEventsUntil([&] {
            scheduler.runPending();
            return states.size() >= count;
        });
    }

    // The stream run ends; waits until the source has seen it.
    void endStreamRun() {
        adapter.closeStream();
        ASSERT_TRUE(adapter.waitForStreamExit());
    }

    test::FakeAdapter adapter;
    test::ManualScheduler scheduler;
    test::ManualClock clock{Date{5000}};
    std::unique_ptr<MediaRemoteSource> source;
    QList<NowPlayingState> states;
};

} // namespace

TEST_F(MediaRemoteSourceTest, LinesSplitAcrossWritesAreProcessedOnceCompleteAndInOrder) {
    startStreaming();
    adapter.write(R"({"payload":{"ti)");
    processEventsFor(150);
    scheduler.runPending();
    EXPECT_TRUE(states.isEmpty());

    adapter.write(
        "tle\":\"A\"},\"diff\":false}\n{\"payload\":{\"artist\":\"B\"},\"diff\":true}\n{\"payload\":");
    ASSERT_TRUE(waitForStates(2));
    EXPECT_EQ(states[0].title, QStringLiteral("A"));
    EXPECT_FALSE(states[0].artist.has_value());
    EXPECT_EQ(states[1].title, QStringLiteral("A"));
    EXPECT_EQ(states[1].artist, QStringLiteral("B"));

    // The unterminated fragment waits.
    processEventsFor(150);
    scheduler.runPending();
    EXPECT_EQ(states.size(), 2);
    adapter.write("{\"album\":\"C\"},\"diff\":true}\n");
    ASSERT_TRUE(waitForStates(3));
    EXPECT_EQ(states[2].album, QStringLiteral("C"));
}

TEST_F(MediaRemoteSourceTest, FullSnapshotsReplaceAndDiffsMerge) {
    startStreaming();
    const QByteArray lines[] = {
        R"({"payload":{"title":"A","album":"C","playing":true,"elapsedTime":3},"diff":false})",
        R"({"payload":{"title":"B"},"diff":true})",
        R"({"payload":{"title":null},"diff":true})",
        R"({"payload":{},"diff":true})",
        R"({"payload":{"title":"D"}})",
        R"({"payload":{"title":"E"},"diff":"yes"})",
    };
    // One at a time: the stream keeps only the newest four for a slow reader.
    for (const QByteArray& line : lines) {
        adapter.write(line + '\n');
        ASSERT_TRUE(waitForStates(states.size() + 1)) << line.constData();
    }

    EXPECT_EQ(states[0].elapsedAsOf, clock.now());
    EXPECT_EQ(states[1].title, QStringLiteral("B"));
    EXPECT_EQ(states[1].album, QStringLiteral("C"));
    EXPECT_TRUE(states[1].isPlaying);
    EXPECT_FALSE(states[2].title.has_value());
    EXPECT_EQ(states[2].album, QStringLiteral("C"));
    EXPECT_EQ(states[3], states[2]) << "an empty diff still publishes an unchanged copy";
    NowPlayingState onlyTitle;
    onlyTitle.title = QStringLiteral("D");
    EXPECT_EQ(states[4], onlyTitle) << "a line without \"diff\" is a full snapshot";
    onlyTitle.title = QStringLiteral("E");
    EXPECT_EQ(states[5], onlyTitle) << "a \"diff\" that is not a boolean counts as false";
}

TEST_F(MediaRemoteSourceTest, MalformedLinesAreTracedAndSkipped) {
    qputenv("VESK_TRACE", "1");
    startStreaming();
    adapter.write("[1,2]\n{\"type\":\"x\",\"diff\":true}\nnot json\n{\"payload\":[]}\n\n");
    adapter.write(R"({"payload":{"title":"ok"},"diff":true})"
                  "\n");
    ASSERT_TRUE(waitForStates(1));
    EXPECT_EQ(states.size(), 1);

    QStringList lines = TraceLog::recentLogLines(10);
    for (QString& line : lines)
        line = line.section(QStringLiteral("  "), 1);
    EXPECT_EQ(lines, (QStringList{
                         QStringLiteral("[media] ingest: JSON parse FAILED for 5 bytes"),
                         QStringLiteral("[media] ingest: no payload key; keys=[\"diff\", \"type\"]"),
                         QStringLiteral("[media] ingest: JSON parse FAILED for 8 bytes"),
                         QStringLiteral("[media] ingest: no payload key; keys=[\"payload\"]"),
                     }));
}

TEST_F(MediaRemoteSourceTest, RespawnsAfterGrowingDelaysAndTurnsUnhealthyAfterTheThirdExit) {
    startStreaming();
    const double delays[] = {2, 4, 8, 16, 30, 30};
    for (int exit = 1; exit <= 6; ++exit) {
        endStreamRun();
        EXPECT_EQ(source->isHealthy(), exit < 3) << "after exit " << exit;
        const double delay = delays[exit - 1];
        scheduler.advance(delay - 0.1);
        EXPECT_EQ(scheduler.pendingCount(), 1) << "exit " << exit << " respawned too early";
        EXPECT_EQ(adapter.streamRuns(), exit);
        scheduler.advance(0.1);
        EXPECT_EQ(scheduler.pendingCount(), 0);
        ASSERT_TRUE(adapter.openStream()) << "no respawn after exit " << exit;
        EXPECT_EQ(adapter.streamRuns(), exit + 1);
    }
    EXPECT_EQ(MediaRemoteSource::restartDelay(100), 30);
}

// Neither stop() nor destroying the source leaves an adapter running or respawning.
TEST_F(MediaRemoteSourceTest, NoRespawnAfterStopOrWithTheSourceGone) {
    EXPECT_EQ(source->capabilities().rawValue, 7);
    startStreaming();
    EXPECT_EQ(adapter.calls(), QStringList{QStringLiteral("stream --debounce=120")});
    source->stop();
    scheduler.runPending();
    ASSERT_TRUE(adapter.waitForStreamExit());
    scheduler.advance(60);
    EXPECT_EQ(adapter.streamRuns(), 1);
    EXPECT_EQ(scheduler.pendingCount(), 0);

    startStreaming();
    source.reset();
    EXPECT_TRUE(adapter.waitForStreamExit());
    scheduler.advance(60);
    EXPECT_EQ(adapter.streamRuns(), 2);

    // Stopped and then destroyed before the run's end was seen: the run is ended and
    // reaped as the source goes, not left to an event loop that may never come.
    source = MediaRemoteSource::create(adapter.folder(), {.queueScheduler = &scheduler, .clock = &clock});
    startStreaming();
    source->stop();
    scheduler.runPending();
    source.reset();
    EXPECT_TRUE(adapter.waitForStreamExit(0)) << "the stopped run outlived its source";
}

TEST_F(MediaRemoteSourceTest, StopAndStartInsideTheBackOffWindowRunOneAdapter) {
    startStreaming();
    endStreamRun();
    EXPECT_EQ(scheduler.pendingCount(), 1);

    source->stop();
    source->start();
    scheduler.runPending();
    ASSERT_TRUE(adapter.openStream());
    EXPECT_EQ(adapter.streamRuns(), 2);

    scheduler.advance(2);
    processEventsFor(100);
    EXPECT_EQ(adapter.streamRuns(), 2) << "the delayed respawn found a live adapter";

    // Lines start from an empty buffer and reach the state once.
    adapter.write(R"({"payload":{"title":"only"},"diff":false})"
                  "\n");
    ASSERT_TRUE(waitForStates(1));
    EXPECT_EQ(states.size(), 1);
}

TEST_F(MediaRemoteSourceTest, ARespawnStartsWithAnEmptyLineBuffer) {
    startStreaming();
    adapter.write(R"({"payload":{"title":"half)");
    processEventsFor(100);
    endStreamRun();
    scheduler.advance(2);
    ASSERT_TRUE(adapter.openStream());
    adapter.write(R"({"payload":{"title":"whole"},"diff":false})"
                  "\n");
    ASSERT_TRUE(waitForStates(1));
    EXPECT_EQ(states[0].title, QStringLiteral("whole"));
}

TEST_F(MediaRemoteSourceTest, CommandsRunOneAtATimeInTheOrderSentWithTheirArguments) {
    const QList<MediaCommand> commands = {MediaCommand::play(),
                                          MediaCommand::pause(),
                                          MediaCommand::toggle(),
                                          MediaCommand::next(),
                                          MediaCommand::previous(),
                                          MediaCommand::seek(12.3456),
                                          MediaCommand::speed(1.5),
                                          MediaCommand::shuffle(ShuffleMode::items),
                                          MediaCommand::repeatMode(RepeatMode::all)};
    for (const MediaCommand& command : commands)
        source->send(command);
    scheduler.runPending();
    ASSERT_TRUE(processEventsUntil([&] { return adapter.calls().size() == commands.size(); }));
    EXPECT_EQ(adapter.calls(), (QStringList{"send 0", "send 1", "send 2", "send 4", "send 5", "seek 12.346",
                                            "speed 1.50", "shuffle items", "repeat all"}));
}

TEST(MediaRemoteSourceLaunchTest, AnAdapterThatCannotBeLaunchedEmptiesTheCapabilitiesAndIsNotRetried) {
    test::FakeAdapter adapter(QStringLiteral("/nonexistent/interpreter"));
    ASSERT_TRUE(adapter.ok());
    test::ManualScheduler scheduler;
    auto source = MediaRemoteSource::create(adapter.folder(), {.queueScheduler = &scheduler});
    ASSERT_TRUE(source);
    source->start();
    scheduler.runPending();
    EXPECT_TRUE(source->capabilities().isEmpty());
    EXPECT_EQ(scheduler.pendingCount(), 0);
    EXPECT_FALSE(source->selfTest(1.0));
}

TEST(MediaRemoteSourceLaunchTest, CreationNeedsAnExecutableAdapter) {
    QTemporaryDir empty;
    EXPECT_FALSE(MediaRemoteSource::create(empty.path()));
    QFile plain(QDir(empty.path()).filePath(MediaRemoteSource::adapterFileName()));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    EXPECT_FALSE(MediaRemoteSource::create(empty.path())) << "not executable";
    plain.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_TRUE(MediaRemoteSource::create(empty.path()));
}

TEST(MediaRemoteSourceLaunchTest, SelfTestPassesOnlyOnExitZeroInTime) {
    test::FakeAdapter adapter;
    ASSERT_TRUE(adapter.ok());
    auto source = MediaRemoteSource::create(adapter.folder());
    ASSERT_TRUE(source);
    // Generous limits where the run must finish: a loaded machine starts shells slowly.
    EXPECT_TRUE(source->selfTest(30.0));
    EXPECT_EQ(adapter.calls(), QStringList{QStringLiteral("test")});
    adapter.setTestExitCode(3);
    EXPECT_FALSE(source->selfTest(30.0));
    adapter.setTestHangs();
    QElapsedTimer timer;
    timer.start();
    EXPECT_FALSE(source->selfTest(0.3));
    EXPECT_LT(timer.elapsed(), 15000) << "waited for the hanging run (30 s)";
}

TEST(MediaRemoteSourceReapTest, OnlyAdaptersAdoptedByProcessOneAndNotOurselves) {
    const QString path = QStringLiteral("/opt/vesk/bin/vesk-media-adapter");
    const QString list = QStringLiteral("    1     0 /sbin/init\n"
                                        "  200     1 /opt/vesk/bin/vesk-media-adapter stream --debounce=120\n"
                                        "  201   150 /opt/vesk/bin/vesk-media-adapter stream --debounce=120\n"
                                        "  300     1 /opt/vesk/bin/vesk-media-adapter stream --debounce=120\n"
                                        "  abc     1 /opt/vesk/bin/vesk-media-adapter\n"
                                        "  400     1\n"
                                        "\n"
                                        "  500     1 /usr/bin/other-program\n"
                                        "  600     1 sh -c /opt/vesk/bin/vesk-media-adapter test\n");
    EXPECT_EQ(MediaRemoteSource::orphanedAdapters(list, path, 300), (QList<qint64>{200, 600}));
}

TEST_F(MediaRemoteSourceTest, ASlowReaderGetsTheNewestFourSnapshots) {
    startStreaming();
    QByteArray burst;
    for (int i = 1; i <= 6; ++i)
        burst += "{\"payload\":{\"trackNumber\":" + QByteArray::number(i) + "}}\n";
    // One write, shorter than a pipe's atomic size, arrives in one piece: once the stream
    // holds four, all six were read, before the reader takes its first value.
    adapter.write(burst);
    ASSERT_TRUE(processEventsUntil([&] { return source->states().pendingCount() == 4; }));
    scheduler.runPending();
    ASSERT_EQ(states.size(), 4);
    EXPECT_EQ(states.front().trackNumber, 3);
    EXPECT_EQ(states.back().trackNumber, 6);
}
