// vesk-pipeline-worker: runs the drop pipelines and renders the tray's previews apart
// from vesk-notch, so that a file that crashes or exhausts a decoder ends only this
// process. Started by the program with its standard input and output as pipes; speaks
// the line protocol of PipelineProtocol.h.
//
//   vesk-pipeline-worker [--idle-exit=<seconds>]
#include "VeskPipelineWorker/WorkerServer.h"
#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <malloc.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int mmapThreshold = 32 << 20;

} // namespace

int main(int argc, char** argv) {
    // Ends with the program that started it, also when that went first.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != parent || parent == 1) return 0;
    std::signal(SIGPIPE, SIG_IGN);
    // Work such as a ZIP's allocates and frees the same few hundred kilobytes per entry;
    // handing them back to the system each time and faulting them in again doubled the
    // time of zipping many small files. The thresholds are the most glibc's adaptive ones
    // reach (fixing one stops the adapting), so a decoded image's buffers are reused as
    // before; the worker ends once idle, so what it keeps is not kept long.
    ::mallopt(M_MMAP_THRESHOLD, mmapThreshold);
    ::mallopt(M_TRIM_THRESHOLD, 2 * mmapThreshold);

    QCoreApplication app(argc, argv);
    double idleSeconds = 30;
    for (const QString& argument : app.arguments().mid(1)) {
        bool ok = false;
        if (argument.startsWith(QLatin1String("--idle-exit="))) idleSeconds = argument.mid(12).toDouble(&ok);
        if (!ok || idleSeconds < 0) {
            std::fprintf(stderr, "usage: vesk-pipeline-worker [--idle-exit=<seconds>]\n");
            return 2;
        }
    }
    vesk::setImagePipelineWork();
    vesk::setFilePipelineWork();
    vesk::worker::WorkerServer server(idleSeconds);
    server.start();
    return app.exec();
}
