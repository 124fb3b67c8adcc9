#include "VeskServices/NowPlaying/MediaRemoteSource.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskServices/NowPlaying/NowPlayingPayload.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <unistd.h>
#include <utility>

namespace vesk {

namespace {

// Longer than any line the adapter writes (artwork is at most 4 MiB before base64).
constexpr qsizetype longestLine = 16 * 1024 * 1024;

int milliseconds(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0) return 0;
    return int(std::min(seconds * 1000.0, 2.0e9));
}

void endProcess(QProcess* process) {
    QObject::disconnect(process, nullptr, nullptr, nullptr);
    if (process->state() != QProcess::NotRunning) {
        process->terminate();
        if (!process->waitForFinished(1000)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
    delete process;
}

} // namespace

std::unique_ptr<MediaRemoteSource> MediaRemoteSource::create(const QString& adapterFolder, Options options) {
    const QFileInfo adapter(QDir(adapterFolder).filePath(adapterFileName()));
    if (!adapter.isFile() || !adapter.isExecutable()) return nullptr;
    return std::unique_ptr<MediaRemoteSource>(new MediaRemoteSource(adapter.absoluteFilePath(), options));
}

MediaRemoteSource::MediaRemoteSource(QString adapterPath, Options options)
    : m_adapterPath(std::move(adapterPath)), m_clock(options.clock ? options.clock : &m_systemClock),
      m_capabilities(Capability::universalNowPlaying | Capability::mediaSeek |
                     Capability::mediaShuffleRepeat),
      m_queue(QStringLiteral("app.tessarn.notch.media"), options.queueScheduler) {}

MediaRemoteSource::~MediaRemoteSource() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_queue.finish([this] { tearDown(); });
}

void MediaRemoteSource::tearDown() {
    *m_alive = false;
    m_respawn.cancel();
    QPointer<QProcess> stream;
    {
        std::lock_guard lock(m_mutex);
        stream = m_process;
        m_process = nullptr;
    }
    if (stream) endProcess(stream);
    // Stream runs told to stop whose end has not been seen yet: nothing would reap or
    // delete them once the queue's thread is gone.
    for (const QPointer<QProcess>& stopping : std::exchange(m_stopping, {}))
        if (stopping) endProcess(stopping);
    if (m_commandProcess) endProcess(m_commandProcess);
    m_commandProcess = nullptr;
    m_commands.clear();
}

Capability MediaRemoteSource::capabilities() const {
    std::lock_guard lock(m_mutex);
    return m_capabilities;
}

bool MediaRemoteSource::isHealthy() const {
    std::lock_guard lock(m_mutex);
    return m_restartCount < 3;
}

double MediaRemoteSource::restartDelay(int restartCount) {
    return std::min(std::pow(2.0, std::min(std::max(restartCount, 0), 5)), 30.0);
}

void MediaRemoteSource::trace(const QString& message) {
    TraceLog::traceMedia(message);
}

bool MediaRemoteSource::selfTest(double timeout) const {
    QProcess process;
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QDeadlineTimer deadline(milliseconds(timeout));
    process.start(m_adapterPath, {QStringLiteral("test")});
    if (!process.waitForStarted(std::max(1, int(deadline.remainingTime())))) return false;
    if (!process.waitForFinished(std::max(1, int(deadline.remainingTime())))) {
        process.kill();
        process.waitForFinished(1000);
        return false;
    }
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

void MediaRemoteSource::start() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = false;
    }
    std::shared_ptr<bool> alive = m_alive;
    m_queue.async([this, alive] {
        if (!*alive) return;
        reapOrphans(m_adapterPath);
        spawn();
    });
}

void MediaRemoteSource::stop() {
    QPointer<QProcess> taken;
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
        taken = m_process;
        m_process = nullptr;
    }
    if (!taken) return;
    std::shared_ptr<bool> alive = m_alive;
    m_queue.async([this, taken, alive] {
        if (!*alive || !taken) return;
        taken->terminate();
        m_stopping.removeIf([](const QPointer<QProcess>& process) { return process.isNull(); });
        m_stopping.append(taken);
    });
}

void MediaRemoteSource::spawn() {
    {
        std::lock_guard lock(m_mutex);
        // A stop, or a start inside the back-off window, may have come first: never two
        // adapters whose lines would interleave.
        if (m_stopped) return;
        if (m_process && m_process->state() != QProcess::NotRunning) return;
        m_buffer.clear();
        m_discardingLine = false;
    }
    auto* process = new QProcess;
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    std::shared_ptr<bool> alive = m_alive;
    QObject::connect(process, &QProcess::readyReadStandardOutput, process, [this, alive, process] {
        const QByteArray data = process->readAllStandardOutput();
        if (*alive && !data.isEmpty()) ingest(process, data);
    });
    QObject::connect(process, &QProcess::finished, process, [this, alive, process] {
        process->deleteLater();
        if (*alive) streamExited(process);
    });
    process->start(m_adapterPath, {QStringLiteral("stream"), QStringLiteral("--debounce=120")});
    if (!process->waitForStarted(5000)) {
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        delete process;
        // No retry until start() is called again.
        std::lock_guard lock(m_mutex);
        m_capabilities = Capability{};
        return;
    }
    std::lock_guard lock(m_mutex);
    m_process = process;
}

void MediaRemoteSource::streamExited(QProcess* process) {
    int count = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_process == process) m_process = nullptr;
        count = ++m_restartCount;
        if (m_stopped) return;
    }
    std::shared_ptr<bool> alive = m_alive;
    m_respawn = m_queue.asyncAfter(restartDelay(count), [this, alive] {
        if (*alive) spawn();
    });
}

void MediaRemoteSource::ingest(QProcess* from, const QByteArray& data) {
    QList<QByteArray> lines;
    {
        std::lock_guard lock(m_mutex);
        // Output of a stream run that was stopped or replaced is not ours any more.
        if (from != m_process) return;
        qsizetype start = 0;
        m_buffer.append(data);
        for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n', start)) {
            if (!m_discardingLine) lines.push_back(m_buffer.mid(start, end - start));
            m_discardingLine = false;
            start = end + 1;
        }
        m_buffer.remove(0, start);
        if (m_buffer.size() > longestLine) {
            // Never grow without bound: the rest of this line is dropped.
            m_buffer.clear();
            m_discardingLine = true;
        }
    }
    for (const QByteArray& line : lines)
        if (!line.isEmpty()) processLine(line);
}

void MediaRemoteSource::processLine(const QByteArray& line) {
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        trace(QStringLiteral("ingest: JSON parse FAILED for ") + QString::number(line.size()) +
              QStringLiteral(" bytes"));
        return;
    }
    const QJsonObject object = document.object();
    const QJsonValue payload = object.value(QLatin1StringView("payload"));
    if (!payload.isObject()) {
        QStringList keys = object.keys();
        std::sort(keys.begin(), keys.end());
        QStringList quoted;
        for (const QString& key : keys)
            quoted.push_back(QLatin1Char('"') + key + QLatin1Char('"'));
        trace(QStringLiteral("ingest: no payload key; keys=[") + quoted.join(QStringLiteral(", ")) +
              QLatin1Char(']'));
        return;
    }
    const QJsonValue diffValue = object.value(QLatin1StringView("diff"));
    const bool diff = diffValue.isBool() && diffValue.toBool();
    NowPlayingState copy;
    {
        std::lock_guard lock(m_mutex);
        if (!diff) m_state = NowPlayingState{};
        mergeNowPlayingPayload(m_state, payload.toObject(), m_clock->now());
        copy = m_state;
    }
    m_states.yield(std::move(copy));
}

void MediaRemoteSource::send(const MediaCommand& command) {
    const QStringList arguments = command.adapterArguments();
    std::shared_ptr<bool> alive = m_alive;
    m_queue.async([this, alive, arguments] {
        if (!*alive) return;
        m_commands.enqueue(arguments);
        if (!m_commandProcess) runNextCommand();
    });
}

void MediaRemoteSource::runNextCommand() {
    while (!m_commands.isEmpty()) {
        auto* process = new QProcess;
        process->setStandardInputFile(QProcess::nullDevice());
        process->setStandardOutputFile(QProcess::nullDevice());
        process->setStandardErrorFile(QProcess::nullDevice());
        std::shared_ptr<bool> alive = m_alive;
        QObject::connect(process, &QProcess::finished, process, [this, alive, process] {
            process->deleteLater();
            if (!*alive) return;
            m_commandProcess = nullptr;
            runNextCommand();
        });
        process->start(m_adapterPath, m_commands.dequeue());
        if (process->waitForStarted(5000)) {
            m_commandProcess = process;
            return;
        }
        // A command that cannot be launched is dropped; the next one still runs.
        QObject::disconnect(process, nullptr, nullptr, nullptr);
        delete process;
    }
}

QList<qint64> MediaRemoteSource::orphanedAdapters(const QString& processList, const QString& adapterPath,
                                                  qint64 ownPid) {
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QList<qint64> orphans;
    const QStringList lines = processList.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& line : lines) {
        const QStringList parts = line.split(blanks, Qt::SkipEmptyParts);
        if (parts.size() < 3) continue;
        bool pidOk = false;
        bool parentOk = false;
        const qint64 pid = parts[0].toInt(&pidOk);
        const qint64 parent = parts[1].toInt(&parentOk);
        if (!pidOk || !parentOk) continue;
        if (line.contains(adapterPath) && parent == 1 && pid != ownPid) orphans.push_back(pid);
    }
    return orphans;
}

void MediaRemoteSource::reapOrphans(const QString& adapterPath) {
    QProcess ps;
    ps.setStandardInputFile(QProcess::nullDevice());
    ps.setStandardErrorFile(QProcess::nullDevice());
    ps.start(QStringLiteral("/bin/ps"), {QStringLiteral("-eo"), QStringLiteral("pid=,ppid=,command=")});
    if (!ps.waitForStarted(5000)) return;
    if (!ps.waitForFinished(5000)) {
        ps.kill();
        ps.waitForFinished(1000);
        return;
    }
    const QString output = QString::fromUtf8(ps.readAllStandardOutput());
    for (qint64 pid : orphanedAdapters(output, adapterPath, qint64(::getpid())))
        ::kill(pid_t(pid), SIGTERM);
}

} // namespace vesk
