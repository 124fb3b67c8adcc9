#include "VeskServices/Pipelines/PipelineWorker.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Pipelines/PipelineSupport.h"
#include "VeskServices/Pipelines/StagedOutput.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QPointer>
#include <QThreadPool>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef CLOSE_RANGE_CLOEXEC
#define CLOSE_RANGE_CLOEXEC (1U << 2)
#endif

namespace vesk {

namespace {

using namespace pipeline_protocol;

void trace(const QString& message) {
    TraceLog::trace(QStringLiteral("pipeline worker: ") + message);
}

// In the child between fork and exec: only what is safe there.
void prepareChild() {
    if (::getpriority(PRIO_PROCESS, 0) < PipelineWorker::niceness)
        ::setpriority(PRIO_PROCESS, 0, PipelineWorker::niceness);
    rlimit limit{};
    if (PipelineWorker::limitsAddressSpace && ::getrlimit(RLIMIT_AS, &limit) == 0) {
        limit.rlim_cur = std::min<rlim_t>(limit.rlim_cur, PipelineWorker::addressSpaceLimit);
        limit.rlim_max = std::min<rlim_t>(limit.rlim_max, PipelineWorker::addressSpaceLimit);
        ::setrlimit(RLIMIT_AS, &limit);
    }
    // Nothing of the program's goes across but the three pipes.
#ifdef SYS_close_range
    if (::syscall(SYS_close_range, 3U, ~0U, CLOSE_RANGE_CLOEXEC) == 0) return;
#endif
    const long last = std::min(::sysconf(_SC_OPEN_MAX), 65536L);
    for (int fd = 3; fd < last; ++fd)
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
}

// Bytes the process has read and written so far; -1 when it cannot be told.
qint64 fileTraffic(qint64 pid) {
    QFile io(QStringLiteral("/proc/%1/io").arg(pid));
    if (pid <= 0 || !io.open(QIODevice::ReadOnly)) return -1;
    qint64 total = 0;
    for (const QByteArray& line : io.readAll().split('\n'))
        if (line.startsWith("rchar:") || line.startsWith("wchar:"))
            total += line.mid(6).trimmed().toLongLong();
    return total;
}

// Deletes what an unfinished run left in its folder: its published outputs and the
// temporaries no live run holds. The folder is shared with any other copy of the program,
// so a temporary still locked by a run of that copy stays.
void removeLeftovers(const QString& folder, const QStringList& published) {
    for (const QString& path : published)
        removeOutput(folder, path);
    removeStaleOutputs(folder);
}

QString inFolder(const QString& folder, const QString& path) {
    const QFileInfo info(QDir::cleanPath(path));
    return info.path() == folder && !info.fileName().isEmpty() ? info.filePath() : QString();
}

} // namespace

struct PipelineWorker::Request {
    QByteArray line;
    // Of the worker it was sent to.
    int generation = 0;
    bool isRun = false;
    RunHandlers run;
    QString folder;
    QStringList inputNames;
    // The input named by the last progress report.
    QString reading;
    QStringList published;
    PreviewHandler preview;
    QSize bound;
};

struct PipelineWorker::Process {
    int generation = 0;
    QProcess* process = nullptr;
    LineReader reader;
    bool retiring = false;
    bool ended = false;
    qsizetype errorBytes = 0;
};

PipelineWorker::PipelineWorker(Options options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
    m_watchdog.setSingleShot(true);
    m_watchdog.setInterval(int(m_options.hangSeconds * 1000));
    connect(&m_watchdog, &QTimer::timeout, this, &PipelineWorker::checkHung);
}

PipelineWorker::~PipelineWorker() {
    shutdown();
}

QString PipelineWorker::defaultProgram() {
    return files::besideProgram(QStringLiteral("vesk-pipeline-worker"));
}

qint64 PipelineWorker::processId() const {
    for (const auto& process : m_processes)
        if (!process->retiring && !process->ended) return process->process->processId();
    return 0;
}

PipelineWorker::Process* PipelineWorker::current() {
    for (const auto& process : m_processes)
        if (!process->retiring && !process->ended) return process.get();
    auto slot = std::make_unique<Process>();
    slot->generation = ++m_lastGeneration;
    slot->process = new QProcess(this);
    Process* process = slot.get();
    QProcess* child = process->process;
    child->setProgram(m_options.program.isEmpty() ? defaultProgram() : m_options.program);
    child->setArguments({QStringLiteral("--idle-exit=") + QString::number(m_options.idleSeconds)});
    child->setChildProcessModifier(prepareChild);
    connect(child, &QProcess::readyReadStandardOutput, this, [this, process] { readEvents(process); });
    connect(child, &QProcess::readyReadStandardError, this, [process] {
        const QByteArray text = process->process->readAllStandardError();
        // Enough to tell why it failed; a flood is not kept.
        if (process->errorBytes < 4096)
            trace(QString::fromUtf8(text.left(4096 - process->errorBytes)).trimmed());
        process->errorBytes += text.size();
    });
    connect(child, &QProcess::finished, this, [this, process] { processEnded(process); });
    // Told from inside start() at times: handled once start() has returned.
    connect(
        child, &QProcess::errorOccurred, this,
        [this, generation = process->generation](QProcess::ProcessError error) {
            if (error != QProcess::FailedToStart) return;
            for (const auto& slot : m_processes)
                if (slot->generation == generation) {
                    trace(QStringLiteral("cannot start ") + slot->process->program());
                    processEnded(slot.get());
                    return;
                }
        },
        Qt::QueuedConnection);
    m_processes.push_back(std::move(slot));
    child->start();
    return process;
}

void PipelineWorker::run(const DropPipeline& pipeline, const QList<QUrl>& urls, const QString& outputFolder,
                         RunHandlers handlers) {
    Request request;
    request.isRun = true;
    request.run = std::move(handlers);
    request.folder = QDir::cleanPath(outputFolder);
    QJsonArray inputs;
    for (const QUrl& url : urls) {
        inputs.append(url.toLocalFile());
        request.inputNames.append(pipeline_support::fileName(url));
    }
    const quint64 id = ++m_lastId;
    request.line = line({{QStringLiteral("type"), QStringLiteral("run")},
                         {QStringLiteral("id"), double(id)},
                         {QStringLiteral("pipeline"), toRaw(pipeline.id())},
                         {QStringLiteral("settings"), pipeline.settings()},
                         {QStringLiteral("inputs"), inputs},
                         {QStringLiteral("output"), request.folder}});
    m_requests.insert(id, std::move(request));
    send(id);
}

quint64 PipelineWorker::preview(const QString& path, const QSize& bound, PreviewHandler handler) {
    Request request;
    request.preview = std::move(handler);
    request.bound = bound;
    const quint64 id = ++m_lastId;
    request.line = line({{QStringLiteral("type"), QStringLiteral("preview")},
                         {QStringLiteral("id"), double(id)},
                         {QStringLiteral("path"), path},
                         {QStringLiteral("width"), bound.width()},
                         {QStringLiteral("height"), bound.height()}});
    m_requests.insert(id, std::move(request));
    send(id);
    return id;
}

void PipelineWorker::forget(quint64 id) {
    const auto found = m_requests.find(id);
    if (found != m_requests.end() && !found->isRun) found->preview = nullptr;
}

void PipelineWorker::send(quint64 id) {
    Process* process = current();
    Request& request = m_requests[id];
    request.generation = process->generation;
    process->process->write(request.line);
    armWatchdog();
}

void PipelineWorker::readEvents(Process* process) {
    const QList<QJsonObject> events = process->reader.read(process->process->readAllStandardOutput());
    for (const QJsonObject& event : events)
        received(process, event);
    if (!events.isEmpty() && m_watchdog.isActive()) {
        m_lastIo = fileTraffic(process->process->processId());
        m_watchdog.start();
    }
}

void PipelineWorker::received(Process* process, const QJsonObject& event) {
    const QString type = event.value(QStringLiteral("type")).toString();
    if (type == QLatin1String("idle")) {
        process->retiring = true;
        return;
    }
    if (type == QLatin1String("ready")) {
        if (event.value(QStringLiteral("version")).toInt() != version) {
            trace(QStringLiteral("speaks another protocol version"));
            process->process->kill();
        }
        return;
    }
    const quint64 id = quint64(event.value(QStringLiteral("id")).toDouble());
    const auto found = m_requests.find(id);
    if (found == m_requests.end() || found->generation != process->generation) return;
    Request& request = *found;
    if (!request.isRun) {
        if (type != QLatin1String("rendered")) return;
        const PreviewHandler handler = std::move(request.preview);
        const QSize bound = request.bound;
        m_requests.erase(found);
        armWatchdog();
        if (handler) handler(renderedFromJson(event, bound));
        return;
    }
    if (type == QLatin1String("progress")) {
        const QString detail = event.value(QStringLiteral("detail")).toString();
        if (request.inputNames.contains(detail)) request.reading = detail;
        if (request.run.progress)
            request.run.progress(event.value(QStringLiteral("fraction")).toDouble(), detail);
        return;
    }
    if (type == QLatin1String("published")) {
        const QString path = inFolder(request.folder, event.value(QStringLiteral("path")).toString());
        if (!path.isEmpty()) request.published.append(path);
        return;
    }
    PipelineOutcome outcome;
    if (type == QLatin1String("result")) {
        // Only files of the run's own folder: undo deletes what is named here.
        for (const QJsonValue& value : event.value(QStringLiteral("produced")).toArray()) {
            const QString path = inFolder(request.folder, value.toString());
            if (!path.isEmpty()) outcome.produced.append(QUrl::fromLocalFile(path));
        }
    } else if (type == QLatin1String("failed")) {
        outcome.failure = failureFromJson(event.value(QStringLiteral("error")).toObject());
    } else if (type == QLatin1String("stopped")) {
        outcome.stopped = true;
    } else {
        return;
    }
    const auto ended = std::move(request.run.ended);
    m_requests.erase(found);
    armWatchdog();
    if (ended) ended(outcome);
}

void PipelineWorker::processEnded(Process* process) {
    if (process->ended) return;
    process->ended = true;
    readEvents(process);
    QProcess* child = process->process;
    const bool idleEnd =
        process->retiring && child->exitStatus() == QProcess::NormalExit && child->exitCode() == 0;
    if (!idleEnd)
        trace(child->exitStatus() == QProcess::CrashExit || child->error() == QProcess::FailedToStart
                  ? QStringLiteral("ended abnormally: ") + child->errorString()
                  : QStringLiteral("exited with ") + QString::number(child->exitCode()));
    QList<quint64> lost;
    for (auto it = m_requests.cbegin(); it != m_requests.cend(); ++it)
        if (it->generation == process->generation) lost.append(it.key());
    const auto found = std::find_if(m_processes.begin(), m_processes.end(),
                                    [process](const auto& slot) { return slot.get() == process; });
    std::unique_ptr<Process> slot = std::move(*found);
    m_processes.erase(found);
    child->disconnect(this);
    child->deleteLater();
    for (quint64 id : lost) {
        // A worker that ended for want of work never read these: a fresh one takes them.
        if (idleEnd)
            send(id);
        else
            fail(m_requests.take(id));
    }
    armWatchdog();
}

void PipelineWorker::fail(Request request) {
    if (!request.isRun) {
        if (request.preview) request.preview(std::nullopt);
        return;
    }
    const QString name = !request.reading.isEmpty()      ? request.reading
                         : !request.inputNames.isEmpty() ? request.inputNames.first()
                                                         : QString();
    PipelineOutcome outcome;
    outcome.failure = PipelineError::readFailed(name);
    // Told once nothing of the run is left; deleting a large unpacked tree takes a while.
    const quint64 delivery = ++m_lastId;
    if (request.run.ended)
        m_deliveries.insert(delivery, [ended = request.run.ended, outcome] { ended(outcome); });
    const QPointer<PipelineWorker> self(this);
    QThreadPool::globalInstance()->start(
        [self, delivery, folder = request.folder, published = request.published] {
            removeLeftovers(folder, published);
            QMetaObject::invokeMethod(
                QCoreApplication::instance(),
                [self, delivery] {
                    if (!self) return;
                    if (const auto deliver = self->m_deliveries.take(delivery)) deliver();
                },
                Qt::QueuedConnection);
        });
}

void PipelineWorker::armWatchdog() {
    Process* busy = nullptr;
    for (const auto& process : m_processes)
        if (!process->ended && !process->retiring) busy = process.get();
    const bool waiting =
        busy && std::any_of(m_requests.cbegin(), m_requests.cend(), [busy](const Request& request) {
            return request.generation == busy->generation;
        });
    if (!waiting) {
        m_watchdog.stop();
    } else if (!m_watchdog.isActive()) {
        m_lastIo = fileTraffic(busy->process->processId());
        m_watchdog.start();
    }
}

void PipelineWorker::checkHung() {
    for (const auto& process : m_processes) {
        if (process->ended || process->retiring) continue;
        const qint64 traffic = fileTraffic(process->process->processId());
        // Still reading or writing files: slow work, not a hang.
        if (traffic >= 0 && traffic != m_lastIo) {
            m_lastIo = traffic;
            m_watchdog.start();
            return;
        }
        trace(QStringLiteral("no answer for ") + QString::number(m_options.hangSeconds) +
              QStringLiteral(" s: ended"));
        process->process->kill();
        return;
    }
}

void PipelineWorker::shutdown() {
    m_watchdog.stop();
    if (m_processes.empty()) return;
    // Nothing more is delivered; the worker is told to stop by its input closing.
    for (Request& request : m_requests) {
        request.run = {};
        request.preview = nullptr;
    }
    m_deliveries.clear();
    QDeadlineTimer deadline(int(m_options.cancelSeconds * 1000));
    for (const auto& process : m_processes) {
        process->process->disconnect(this);
        for (auto it = m_requests.cbegin(); it != m_requests.cend(); ++it)
            if (it->generation == process->generation)
                process->process->write(line({{QStringLiteral("type"), QStringLiteral("cancel")},
                                              {QStringLiteral("id"), double(it.key())}}));
        // Its input closing ends it once what it still runs has stopped.
        process->process->closeWriteChannel();
    }
    for (const auto& process : m_processes) {
        QProcess* child = process->process;
        if (child->state() != QProcess::NotRunning &&
            !child->waitForFinished(int(deadline.remainingTime()))) {
            trace(QStringLiteral("did not stop within a second: killed"));
            child->kill();
            child->waitForFinished(5000);
        }
        // What it published before it ended; a run that ended meanwhile was not
        // delivered either, so its outputs go too.
        for (const QJsonObject& event : process->reader.read(child->readAllStandardOutput())) {
            const auto found = m_requests.find(quint64(event.value(QStringLiteral("id")).toDouble()));
            if (found == m_requests.end() ||
                event.value(QStringLiteral("type")).toString() != QLatin1String("published"))
                continue;
            const QString path = inFolder(found->folder, event.value(QStringLiteral("path")).toString());
            if (!path.isEmpty()) found->published.append(path);
        }
    }
    for (const Request& request : std::as_const(m_requests))
        if (request.isRun) removeLeftovers(request.folder, request.published);
    m_requests.clear();
    for (const auto& process : m_processes)
        delete process->process;
    m_processes.clear();
}

} // namespace vesk
