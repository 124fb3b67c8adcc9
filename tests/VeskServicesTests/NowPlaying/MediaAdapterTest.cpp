// The real vesk-media-adapter against fake MPRIS players on a private session bus.
#include "VeskServices/NowPlaying/MediaRemoteSource.h"

#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/NowPlaying/FakeMprisPlayer.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDBusConnectionInterface>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>
#include <csignal>
#include <memory>

using namespace vesk;
using vesk::test::FakeMprisPlayer;
using vesk::test::processEventsFor;
using vesk::test::processEventsUntil;

namespace {

const QString adapterFolder = QStringLiteral(VESK_BINARY_DIR "/bin");
const QString adapterPath = adapterFolder + QStringLiteral("/vesk-media-adapter");

// One stream run of the adapter, its JSON lines collected as they come.
class StreamRun {
public:
    StreamRun() {
        process.setProgram(adapterPath);
        process.setArguments({QStringLiteral("stream"), QStringLiteral("--debounce=120")});
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            while (process.canReadLine())
                lines.push_back(QJsonDocument::fromJson(process.readLine()).object());
        });
        process.start();
    }
    ~StreamRun() {
        process.terminate();
        process.waitForFinished(3000);
    }

    bool waitForLines(int count) {
        return processEventsUntil([&] { return lines.size() >= count; });
    }
    QJsonObject payload(int index) const {
        return lines.value(index).value(QLatin1String("payload")).toObject();
    }
    QJsonValue value(int index, const char* key) const { return payload(index).value(QLatin1String(key)); }
    // All lines, for failure messages.
    std::string dump() const {
        QByteArray text;
        for (const QJsonObject& line : lines)
            text += QJsonDocument(line).toJson(QJsonDocument::Compact) + '\n';
        return text.toStdString();
    }
    bool isDiff(int index) const { return lines.value(index).value(QLatin1String("diff")).toBool(); }

    QProcess process;
    QList<QJsonObject> lines;
};

int runCommand(const QStringList& arguments) {
    QProcess process;
    process.start(adapterPath, arguments);
    // The fake players answer from this thread's event loop.
    processEventsUntil([&] { return process.state() == QProcess::NotRunning; });
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

class MediaAdapterTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFileInfo(adapterPath).isExecutable()) << "build vesk-media-adapter first";
        ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    }

    std::unique_ptr<FakeMprisPlayer> player(const QString& name, const QString& status,
                                            const QString& title) {
        // A connection per player: each serves the one MPRIS object path.
        const QDBusConnection connection = QDBusConnection::connectToBus(
            buses.sessionAddress(), QStringLiteral("player-") + name + QUuid::createUuid().toString());
        auto fake = std::make_unique<FakeMprisPlayer>(connection, name);
        fake->desktopEntry = name + QStringLiteral("-player");
        fake->playbackStatus = status;
        fake->metadata = {
            {QStringLiteral("xesam:title"), title},
            {QStringLiteral("xesam:artist"), QStringList{QStringLiteral("Artist"), QStringLiteral("Guest")}},
            {QStringLiteral("xesam:album"), QStringLiteral("Album")},
            {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath("/t/1"))},
            {QStringLiteral("mpris:length"), qlonglong(200'000'000)}};
        fake->setPosition(10'000'000);
        EXPECT_TRUE(fake->appear());
        return fake;
    }

    // Whether process `pid` has a connection on the private session bus.
    bool onTheBus(pid_t pid) const {
        QDBusConnectionInterface* bus = buses.session().interface();
        const QStringList names = bus->registeredServiceNames().value();
        return std::any_of(names.begin(), names.end(), [&](const QString& name) {
            return name.startsWith(u':') && bus->servicePid(name).value() == uint(pid);
        });
    }

    test::PrivateBuses buses;
};

} // namespace

TEST_F(MediaAdapterTest, StreamWritesAFullSnapshotThenOneLinePerTitleChange) {
    auto fake = player(QStringLiteral("one"), QStringLiteral("Playing"), QStringLiteral("First"));
    StreamRun run;
    ASSERT_TRUE(run.waitForLines(1));
    EXPECT_FALSE(run.isDiff(0));
    EXPECT_EQ(run.value(0, "title").toString(), QStringLiteral("First"));
    EXPECT_EQ(run.value(0, "artist").toString(), QStringLiteral("Artist, Guest"));
    EXPECT_EQ(run.value(0, "album").toString(), QStringLiteral("Album"));
    EXPECT_EQ(run.value(0, "bundleIdentifier").toString(), QStringLiteral("one-player"));
    EXPECT_EQ(run.value(0, "contentItemIdentifier").toString(), QStringLiteral("/t/1"));
    EXPECT_EQ(run.value(0, "duration").toDouble(), 200.0);
    EXPECT_TRUE(run.value(0, "playing").toBool());
    EXPECT_EQ(run.value(0, "playbackRate").toDouble(), 1.0);
    EXPECT_NEAR(run.value(0, "elapsedTime").toDouble(), 10.0, 1.0);

    fake->setTrack(QStringLiteral("Second"), QStringLiteral("Artist"), QStringLiteral("/t/2"), 100'000'000);
    ASSERT_TRUE(run.waitForLines(2));
    processEventsFor(500);
    ASSERT_EQ(run.lines.size(), 2) << "one title change, one line\n" << run.dump();
    EXPECT_TRUE(run.isDiff(1));
    EXPECT_EQ(run.value(1, "title").toString(), QStringLiteral("Second"));
    EXPECT_EQ(run.value(1, "artist").toString(), QStringLiteral("Artist"));
    EXPECT_EQ(run.value(1, "contentItemIdentifier").toString(), QStringLiteral("/t/2"));
    EXPECT_EQ(run.value(1, "duration").toDouble(), 100.0);
    EXPECT_NEAR(run.value(1, "elapsedTime").toDouble(), 0.0, 0.5);
    EXPECT_TRUE(run.value(1, "album").isNull() || run.value(1, "album").isUndefined());

    // Pausing sends the frozen position with the stopped rate.
    fake->setPlaybackStatus(QStringLiteral("Paused"));
    ASSERT_TRUE(run.waitForLines(3));
    EXPECT_FALSE(run.value(2, "playing").toBool());
    EXPECT_EQ(run.value(2, "playbackRate").toDouble(), 0.0);
    EXPECT_TRUE(run.payload(2).contains(QLatin1String("elapsedTime")));

    fake->seekTo(42'000'000);
    ASSERT_TRUE(run.waitForLines(4));
    EXPECT_EQ(run.payload(3), (QJsonObject{{QStringLiteral("elapsedTime"), 42.0}}));
}

TEST_F(MediaAdapterTest, EveryCommandReachesThePlayer) {
    auto fake = player(QStringLiteral("one"), QStringLiteral("Playing"), QStringLiteral("Song"));
    // "send 2" toggles playback.
    EXPECT_EQ(runCommand({QStringLiteral("send"), QStringLiteral("2")}), 0);
    EXPECT_EQ(fake->playbackStatus, QStringLiteral("Paused"));
    EXPECT_EQ(runCommand({QStringLiteral("send"), QStringLiteral("2")}), 0);
    EXPECT_EQ(fake->playbackStatus, QStringLiteral("Playing"));
    EXPECT_EQ(fake->requests, (QStringList{QStringLiteral("PlayPause"), QStringLiteral("PlayPause")}));

    const struct {
        QStringList arguments;
        QString request;
    } rows[] = {
        {{"send", "0"}, "Play"},
        {{"send", "1"}, "Pause"},
        {{"send", "4"}, "Next"},
        {{"send", "5"}, "Previous"},
        {{"seek", "12.500"}, "SetPosition /t/1 12500000"},
        {{"speed", "1.50"}, "Rate 1.5"},
        {{"shuffle", "items"}, "Shuffle true"},
        {{"shuffle", "off"}, "Shuffle false"},
        {{"repeat", "one"}, "LoopStatus Track"},
        {{"repeat", "all"}, "LoopStatus Playlist"},
        {{"repeat", "off"}, "LoopStatus None"},
        {{"shuffle", "unknown"}, {}},
    };
    for (const auto& row : rows) {
        fake->requests.clear();
        EXPECT_EQ(runCommand(row.arguments), 0) << qPrintable(row.arguments.join(' '));
        EXPECT_EQ(fake->requests.join(QString()), row.request) << qPrintable(row.arguments.join(' '));
    }
    EXPECT_EQ(runCommand({QStringLiteral("send"), QStringLiteral("3")}), 2);
    EXPECT_EQ(runCommand({QStringLiteral("seek"), QStringLiteral("soon")}), 2);
}

TEST_F(MediaAdapterTest, CommandsGoToThePlayerTheStreamReports) {
    auto first = player(QStringLiteral("first"), QStringLiteral("Paused"), QStringLiteral("A"));
    StreamRun run;
    ASSERT_TRUE(run.waitForLines(1));
    EXPECT_EQ(run.value(0, "title").toString(), QStringLiteral("A"));
    auto second = player(QStringLiteral("second"), QStringLiteral("Paused"), QStringLiteral("B"));
    second->setPlaybackStatus(QStringLiteral("Playing"));
    ASSERT_TRUE(run.waitForLines(2)) << run.dump();
    EXPECT_EQ(run.value(1, "title").toString(), QStringLiteral("B"));
    second->setPlaybackStatus(QStringLiteral("Paused"));
    ASSERT_TRUE(run.waitForLines(3)) << run.dump();
    EXPECT_FALSE(run.value(2, "playing").toBool());

    // Both are paused now; the one last reported is the one a play key means.
    EXPECT_EQ(runCommand({QStringLiteral("send"), QStringLiteral("0")}), 0);
    EXPECT_TRUE(first->requests.isEmpty());
    EXPECT_EQ(second->requests, QStringList{QStringLiteral("Play")});
}

TEST_F(MediaAdapterTest, TheMostRecentlyStartedPlayerIsReportedAndALeavingPlayerEndsInAnEmptySnapshot) {
    auto first = player(QStringLiteral("first"), QStringLiteral("Playing"), QStringLiteral("A"));
    StreamRun run;
    ASSERT_TRUE(run.waitForLines(1));
    EXPECT_EQ(run.value(0, "title").toString(), QStringLiteral("A"));

    auto second = player(QStringLiteral("second"), QStringLiteral("Paused"), QStringLiteral("B"));
    processEventsFor(400);
    EXPECT_EQ(run.lines.size(), 1) << "a paused newcomer does not take over\n" << run.dump();

    second->setPlaybackStatus(QStringLiteral("Playing"));
    ASSERT_TRUE(run.waitForLines(2));
    EXPECT_FALSE(run.isDiff(1));
    EXPECT_EQ(run.value(1, "title").toString(), QStringLiteral("B"));

    // The newer player leaves: the one still playing is reported again.
    second->disappear();
    ASSERT_TRUE(run.waitForLines(3));
    EXPECT_FALSE(run.isDiff(2));
    EXPECT_EQ(run.value(2, "title").toString(), QStringLiteral("A"));

    first->disappear();
    ASSERT_TRUE(run.waitForLines(4));
    EXPECT_FALSE(run.isDiff(3));
    EXPECT_TRUE(run.payload(3).isEmpty());
}

TEST_F(MediaAdapterTest, ArtworkFromAFileUrlTravelsAsBase64WithItsMimeType) {
    QTemporaryDir folder;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString picture = folder.filePath(QStringLiteral("cover.png"));
    ASSERT_TRUE(image.save(picture, "PNG"));
    QFile notAnImage(folder.filePath(QStringLiteral("cover.txt")));
    ASSERT_TRUE(notAnImage.open(QIODevice::WriteOnly));
    notAnImage.write("plain text");
    notAnImage.close();

    auto fake = player(QStringLiteral("one"), QStringLiteral("Playing"), QStringLiteral("Song"));
    fake->metadata.insert(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(picture).toString());
    StreamRun run;
    ASSERT_TRUE(run.waitForLines(1));
    QFile png(picture);
    ASSERT_TRUE(png.open(QIODevice::ReadOnly));
    EXPECT_EQ(run.value(0, "artworkMimeType").toString(), QStringLiteral("image/png"));
    EXPECT_EQ(run.value(0, "artworkData").toString().toLatin1(), png.readAll().toBase64());

    fake->setMetadataValue(QStringLiteral("mpris:artUrl"),
                           QUrl::fromLocalFile(notAnImage.fileName()).toString());
    ASSERT_TRUE(run.waitForLines(2));
    EXPECT_TRUE(run.value(1, "artworkData").isNull());
    EXPECT_TRUE(run.value(1, "artworkMimeType").isNull());

    // A data URL carries the picture itself.
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(image.save(&buffer, "JPEG"));
    fake->setMetadataValue(QStringLiteral("mpris:artUrl"), QString(QStringLiteral("data:image/jpeg;base64,") +
                                                                   QString::fromLatin1(jpeg.toBase64())));
    ASSERT_TRUE(run.waitForLines(3));
    EXPECT_EQ(run.value(2, "artworkMimeType").toString(), QStringLiteral("image/jpeg"));
    EXPECT_EQ(run.value(2, "artworkData").toString().toLatin1(), jpeg.toBase64());

    // More than 4 MiB is left out, picture or not.
    QFile large(folder.filePath(QStringLiteral("large.png")));
    ASSERT_TRUE(large.open(QIODevice::WriteOnly));
    QFile small(picture);
    ASSERT_TRUE(small.open(QIODevice::ReadOnly));
    large.write(small.readAll());
    large.write(QByteArray(4 * 1024 * 1024, '\0'));
    large.close();
    fake->setMetadataValue(QStringLiteral("mpris:artUrl"), QUrl::fromLocalFile(large.fileName()).toString());
    ASSERT_TRUE(run.waitForLines(4));
    EXPECT_TRUE(run.value(3, "artworkData").isNull());
}

TEST_F(MediaAdapterTest, NoPlayerGivesAnEmptySnapshotAndTestAnswersWhenTheBusDoes) {
    StreamRun run;
    ASSERT_TRUE(run.waitForLines(1));
    EXPECT_FALSE(run.isDiff(0));
    EXPECT_TRUE(run.payload(0).isEmpty());
    EXPECT_EQ(runCommand({QStringLiteral("test")}), 0);
    EXPECT_EQ(runCommand({QStringLiteral("send"), QStringLiteral("2")}), 1) << "nothing to act on";
}

TEST_F(MediaAdapterTest, TheSourceReadsThePlayerThroughTheRealAdapter) {
    auto fake = player(QStringLiteral("one"), QStringLiteral("Playing"), QStringLiteral("Through"));
    auto source = MediaRemoteSource::create(adapterFolder);
    ASSERT_TRUE(source);
    EXPECT_TRUE(source->selfTest(30.0));
    QList<NowPlayingState> states;
    QObject context;
    source->states().consume(&context, [&](NowPlayingState state) { states.push_back(state); });
    source->start();
    ASSERT_TRUE(processEventsUntil([&] { return !states.isEmpty(); }));
    EXPECT_EQ(states.back().title, QStringLiteral("Through"));
    EXPECT_TRUE(states.back().isPlaying);
    EXPECT_EQ(states.back().itemKey(), QStringLiteral("/t/1"));

    source->send(MediaCommand::pause());
    ASSERT_TRUE(processEventsUntil([&] { return !states.back().isPlaying; }));
    EXPECT_EQ(fake->requests, QStringList{QStringLiteral("Pause")});
    source->stop();
}

TEST_F(MediaAdapterTest, TheStreamEndsWhenItsReaderHangsUp) {
    // The reader takes the first byte and goes.
    QProcess adapter;
    QProcess reader;
    adapter.setStandardOutputProcess(&reader);
    reader.setStandardOutputFile(QProcess::nullDevice());
    reader.start(QStringLiteral("head"), {QStringLiteral("-c"), QStringLiteral("1")});
    adapter.start(adapterPath, {QStringLiteral("stream"), QStringLiteral("--debounce=120")});
    ASSERT_TRUE(adapter.waitForStarted(test::patienceMs));
    EXPECT_TRUE(processEventsUntil([&] { return adapter.state() == QProcess::NotRunning; }));
    EXPECT_EQ(adapter.exitStatus(), QProcess::NormalExit) << "ended by itself, not by a broken pipe";
    adapter.kill();
    adapter.waitForFinished(1000);
}

TEST_F(MediaAdapterTest, TheStreamEndsWithItsParent) {
    // A shell starts the adapter and is then killed, as a crashed program would be.
    QProcess shell;
    shell.start(QStringLiteral("/bin/sh"),
                {QStringLiteral("-c"), QStringLiteral("\"$0\" stream >/dev/null & echo $!; exec sleep 30"),
                 adapterPath});
    ASSERT_TRUE(processEventsUntil([&] { return shell.canReadLine(); }));
    const pid_t adapter = pid_t(shell.readLine().trimmed().toInt());
    ASSERT_GT(adapter, 0);
    // It asks to end with its parent before it connects to the bus.
    ASSERT_TRUE(processEventsUntil([&] { return onTheBus(adapter); })) << "the adapter never connected";
    shell.kill();
    shell.waitForFinished(3000);
    // Gone, or a zombie waiting for whoever adopted it.
    const auto ended = [adapter] {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(adapter));
        if (!stat.open(QIODevice::ReadOnly)) return true;
        const QByteArray fields = stat.readAll();
        return fields.mid(fields.lastIndexOf(')') + 2, 1) == "Z";
    };
    EXPECT_TRUE(processEventsUntil(ended)) << "the adapter outlived its parent";
    if (!ended()) ::kill(adapter, SIGKILL);
}

TEST(MediaAdapterNoBusTest, TestFailsWithoutASessionBus) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/bus"));
    process.setProcessEnvironment(environment);
    process.start(adapterPath, {QStringLiteral("test")});
    ASSERT_TRUE(process.waitForFinished(test::patienceMs));
    EXPECT_NE(process.exitCode(), 0);
}
