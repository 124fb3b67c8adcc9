#pragma once

#include "VeskServices/Pipelines/PipelineProtocol.h"

#include <QHash>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>

class QSocketNotifier;

namespace vesk::worker {

// The worker's side of the line protocol: reads requests on standard input, runs each
// pipeline or preview on a thread of its own and writes their events on standard
// output. Ends when its input closes (cancelling what runs) and after `idleSeconds`
// without a request in hand.
class WorkerServer : public QObject {
    Q_OBJECT

public:
    explicit WorkerServer(double idleSeconds, QObject* parent = nullptr);
    ~WorkerServer() override;

    // Says it is ready and starts reading.
    void start();

private:
    void readInput();
    void handle(const QJsonObject& request);
    void startRun(quint64 id, const QJsonObject& request);
    void startPreview(quint64 id, const QJsonObject& request);
    void ended(quint64 id);
    void endAll();

    QSocketNotifier* m_input = nullptr;
    pipeline_protocol::LineReader m_reader{qsizetype(16) << 20};
    // What runs, with the flag that cancels it.
    QHash<quint64, std::shared_ptr<std::atomic<bool>>> m_active;
    QTimer m_idle;
    QThreadPool m_pool;
};

// Writes one message on standard output, whole, from any thread; ends the process when
// the program has gone.
void send(const QJsonObject& message);

} // namespace vesk::worker
