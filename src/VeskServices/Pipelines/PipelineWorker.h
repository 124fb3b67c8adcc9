#pragma once

#include "VeskServices/Pipelines/DropPipeline.h"
#include "VeskServices/Pipelines/PipelineProtocol.h"

#include <QMap>
#include <QObject>
#include <QProcess>
#include <QSize>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The program's side of vesk-pipeline-worker, the process that decodes dropped files:
// started when something is asked of it, it ends by itself once idle. A worker that
// crashes, is killed or stops answering fails only what it had in hand (a run as
// "Couldn't read" the input it was reading, with what the run had written removed); the
// next request starts a fresh one. Main thread only.
class PipelineWorker : public QObject {
    Q_OBJECT

public:
    struct Options {
        // Empty: vesk-pipeline-worker beside the running program.
        QString program;
        // Busy without an event or any file reading or writing for this long: hung.
        double hangSeconds = 30;
        // The worker ends after this long without a request in hand.
        double idleSeconds = 30;
        // How long shutdown() lets the worker end by itself before killing it.
        double cancelSeconds = 1;
    };
    struct RunHandlers {
        std::function<void(double fraction, const QString& detail)> progress;
        // Not called for runs cut short by shutdown().
        std::function<void(const PipelineOutcome& outcome)> ended;
    };
    using PreviewHandler = std::function<void(const std::optional<pipeline_protocol::Rendered>& rendered)>;

    // The worker's nice value and address-space limit.
    static constexpr int niceness = 10;
    static constexpr quint64 addressSpaceLimit = quint64(4) << 30;
    // Under AddressSanitizer the worker reserves terabytes of address space for the
    // sanitizer's shadow memory at start: with the limit it could not start at all.
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool limitsAddressSpace = false;
#else
    static constexpr bool limitsAddressSpace = true;
#endif

    explicit PipelineWorker(Options options, QObject* parent = nullptr);
    explicit PipelineWorker(QObject* parent = nullptr) : PipelineWorker(Options{}, parent) {}
    ~PipelineWorker() override;

    // vesk-pipeline-worker beside the running program; in a build tree, in its bin/.
    static QString defaultProgram();

    // Runs a pipeline that runs apart on the files into `outputFolder`.
    void run(const DropPipeline& pipeline, const QList<QUrl>& urls, const QString& outputFolder,
             RunHandlers handlers);
    // Renders the preview of a file no larger than `bound`; returns the request's id.
    quint64 preview(const QString& path, const QSize& bound, PreviewHandler handler);
    // The preview's answer is not wanted any more.
    void forget(quint64 id);

    // Cancels everything and ends the worker, killing it when it has not ended within
    // cancelSeconds; removes what unfinished runs wrote. Blocks until done.
    void shutdown();

    // The worker now running; 0 when there is none.
    qint64 processId() const;

private:
    struct Request;
    struct Process;

    Process* current();
    void send(quint64 id);
    void readEvents(Process* process);
    void received(Process* process, const QJsonObject& event);
    void processEnded(Process* process);
    void fail(Request request);
    void armWatchdog();
    void checkHung();

    Options m_options;
    quint64 m_lastId = 0;
    QMap<quint64, Request> m_requests;
    // The running worker, and any that said it is idle and is ending.
    std::vector<std::unique_ptr<Process>> m_processes;
    int m_lastGeneration = 0;
    QTimer m_watchdog;
    qint64 m_lastIo = -1;
    // Failures told once what their runs left is removed.
    QMap<quint64, std::function<void()>> m_deliveries;
};

} // namespace vesk
