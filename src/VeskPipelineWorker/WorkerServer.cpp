#include "VeskPipelineWorker/WorkerServer.h"

#include "VeskPipelineWorker/PreviewRenderer.h"
#include "VeskServices/Pipelines/DropPipeline.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <unistd.h>

namespace vesk::worker {

namespace {

QString text(const QJsonObject& object, const char* key) {
    return object.value(QLatin1String(key)).toString();
}

QJsonObject message(const char* type, quint64 id) {
    return {{QStringLiteral("type"), QLatin1String(type)}, {QStringLiteral("id"), double(id)}};
}

} // namespace

void send(const QJsonObject& message) {
    static std::mutex mutex;
    const QByteArray bytes = pipeline_protocol::line(message);
    const std::lock_guard lock(mutex);
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(STDOUT_FILENO, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR) continue;
        // Nobody reads what we do any more.
        if (n <= 0) std::_Exit(0);
        written += n;
    }
}

WorkerServer::WorkerServer(double idleSeconds, QObject* parent) : QObject(parent) {
    m_idle.setSingleShot(true);
    m_idle.setInterval(int(idleSeconds * 1000));
    connect(&m_idle, &QTimer::timeout, this, [] {
        send({{QStringLiteral("type"), QStringLiteral("idle")}});
        QCoreApplication::exit(0);
    });
}

WorkerServer::~WorkerServer() {
    for (const auto& stop : std::as_const(m_active))
        stop->store(true);
    m_pool.waitForDone();
}

void WorkerServer::start() {
    send({{QStringLiteral("type"), QStringLiteral("ready")},
          {QStringLiteral("version"), pipeline_protocol::version}});
    m_input = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
    connect(m_input, &QSocketNotifier::activated, this, &WorkerServer::readInput);
    m_idle.start();
}

void WorkerServer::readInput() {
    char buffer[65536];
    const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return;
    if (n <= 0) {
        endAll();
        return;
    }
    for (const QJsonObject& request : m_reader.read(QByteArray(buffer, n)))
        handle(request);
}

void WorkerServer::handle(const QJsonObject& request) {
    const QString type = text(request, "type");
    const auto id = quint64(request.value(QStringLiteral("id")).toDouble(-1));
    if (type == QLatin1String("cancel")) {
        if (const auto stop = m_active.value(id)) stop->store(true);
        return;
    }
    if (m_active.contains(id)) return;
    if (type == QLatin1String("run"))
        startRun(id, request);
    else if (type == QLatin1String("preview"))
        startPreview(id, request);
}

void WorkerServer::startRun(quint64 id, const QJsonObject& request) {
    m_idle.stop();
    auto stop = std::make_shared<std::atomic<bool>>(false);
    m_active.insert(id, stop);
    m_pool.start([this, id, stop, request] {
        const auto pipelineId = fromRaw<PipelineID>(text(request, "pipeline"));
        const PipelinePtr pipeline =
            pipelineId
                ? pipelineFromSettings(*pipelineId, request.value(QStringLiteral("settings")).toObject())
                : nullptr;
        QList<QUrl> inputs;
        for (const QJsonValue& path : request.value(QStringLiteral("inputs")).toArray())
            inputs.append(QUrl::fromLocalFile(path.toString()));
        PipelineContext context;
        context.outputFolder = text(request, "output");
        context.stop = stop;
        context.progress.report = [id](double fraction, const QString& detail) {
            QJsonObject reply = message("progress", id);
            reply.insert(QStringLiteral("fraction"), fraction);
            reply.insert(QStringLiteral("detail"), detail);
            send(reply);
        };
        context.published = [id](const QUrl& url) {
            QJsonObject reply = message("published", id);
            reply.insert(QStringLiteral("path"), url.toLocalFile());
            send(reply);
        };
        PipelineOutcome outcome;
        if (pipeline && !context.outputFolder.isEmpty())
            outcome = pipeline->run(inputs, context);
        else
            outcome.failure = PipelineError::unsupported();
        if (outcome.stopped) {
            send(message("stopped", id));
        } else if (outcome.failure) {
            QJsonObject reply = message("failed", id);
            reply.insert(QStringLiteral("error"), pipeline_protocol::toJson(*outcome.failure));
            send(reply);
        } else {
            QJsonArray produced;
            for (const QUrl& url : outcome.produced)
                produced.append(url.toLocalFile());
            QJsonObject reply = message("result", id);
            reply.insert(QStringLiteral("produced"), produced);
            send(reply);
        }
        QMetaObject::invokeMethod(
            this, [this, id] { ended(id); }, Qt::QueuedConnection);
    });
}

void WorkerServer::startPreview(quint64 id, const QJsonObject& request) {
    m_idle.stop();
    m_active.insert(id, std::make_shared<std::atomic<bool>>(false));
    const QString path = text(request, "path");
    const QSize bound(request.value(QStringLiteral("width")).toInt(),
                      request.value(QStringLiteral("height")).toInt());
    m_pool.start([this, id, path, bound] {
        send(pipeline_protocol::toJson(id, renderPreview(path, bound)));
        QMetaObject::invokeMethod(
            this, [this, id] { ended(id); }, Qt::QueuedConnection);
    });
}

void WorkerServer::ended(quint64 id) {
    m_active.remove(id);
    if (m_active.isEmpty()) m_idle.start();
}

void WorkerServer::endAll() {
    m_input->setEnabled(false);
    m_idle.stop();
    for (const auto& stop : std::as_const(m_active))
        stop->store(true);
    // The runs end at their next check, removing their temporaries.
    m_pool.waitForDone();
    QCoreApplication::exit(0);
}

} // namespace vesk::worker
