#pragma once

#include "VeskKit/Foundation/Clock.h"
#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskServices/NowPlaying/NowPlayingSource.h"

#include <QByteArray>
#include <QPointer>
#include <QQueue>
#include <QStringList>

#include <memory>
#include <mutex>

class QProcess;

namespace vesk {

// What is playing, learnt from the now-playing adapter program "vesk-media-adapter":
// its "stream" run writes one JSON object per line, which is merged into the current
// snapshot and published; other runs carry out commands or test the adapter. The
// stream run is restarted with a growing delay whenever it exits, until stop().
// Processes live on the queue "app.tessarn.notch.media"; the state is under one lock.
class MediaRemoteSource final : public NowPlayingSource {
public:
    struct Options {
        // Runs the queue's work (tests); a thread of its own when null.
        Scheduler* queueScheduler = nullptr;
        // Stamps `elapsedAsOf`; the system clock when null.
        const ClockSource* clock = nullptr;
    };

    static QString adapterFileName() { return QStringLiteral("vesk-media-adapter"); }

    // Nothing unless `adapterFolder` holds an executable adapter.
    static std::unique_ptr<MediaRemoteSource> create(const QString& adapterFolder, Options options);
    static std::unique_ptr<MediaRemoteSource> create(const QString& adapterFolder) {
        return create(adapterFolder, Options{});
    }
    ~MediaRemoteSource() override;
    MediaRemoteSource(const MediaRemoteSource&) = delete;
    MediaRemoteSource& operator=(const MediaRemoteSource&) = delete;

    // Runs "test" and waits for it, blocking the caller for at most `timeout` seconds:
    // true when it exited 0 in time.
    bool selfTest(double timeout) const;

    NewestStream<NowPlayingState> states() const override { return m_states; }
    Capability capabilities() const override;
    void start() override;
    void stop() override;
    // Runs the adapter once with the command's arguments; commands run one at a time,
    // in the order sent.
    void send(const MediaCommand& command) override;

    // False once the stream run has exited three times.
    bool isHealthy() const;
    QString adapterPath() const { return m_adapterPath; }

    // Ends adapters of this path left behind by an earlier run: those adopted by
    // process 1, except this process.
    static void reapOrphans(const QString& adapterPath);
    // The process ids to end, from "/bin/ps -eo pid=,ppid=,command=" output.
    static QList<qint64> orphanedAdapters(const QString& processList, const QString& adapterPath,
                                          qint64 ownPid);
    // Seconds before the stream run is started again after its `restartCount`th exit.
    static double restartDelay(int restartCount);
    // One line in the trace log with the media prefix.
    static void trace(const QString& message);

private:
    MediaRemoteSource(QString adapterPath, Options options);

    // Queue only.
    void spawn();
    void streamExited(QProcess* process);
    void ingest(QProcess* from, const QByteArray& data);
    void processLine(const QByteArray& line);
    void runNextCommand();
    void tearDown();

    const QString m_adapterPath;
    SystemClock m_systemClock;
    const ClockSource* m_clock;
    NewestStream<NowPlayingState> m_states{4};
    // Set false on the queue as the source goes, so queued work and process signals
    // that come later find nothing to do.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);

    mutable std::mutex m_mutex;
    Capability m_capabilities;
    QPointer<QProcess> m_process;
    QByteArray m_buffer;
    bool m_discardingLine = false;
    NowPlayingState m_state;
    int m_restartCount = 0;
    bool m_stopped = false;

    // Queue only.
    QQueue<QStringList> m_commands;
    QProcess* m_commandProcess = nullptr;
    QList<QPointer<QProcess>> m_stopping;
    TaskHandle m_respawn;

    // Last, so it stops before the fields its work uses go.
    SerialQueue m_queue;
};

} // namespace vesk
