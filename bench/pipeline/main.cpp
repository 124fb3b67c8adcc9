// vesk-bench-pipeline: runs one drop pipeline through the runner into a folder, as a drop
// on its lane does (without the copy into the tray), and exits when it has finished; or
// adds a folder to a tray and exits once the item has entered. For the benchmark.
//
//   vesk-bench-pipeline <pipeline id> <output folder> <input>...
//   vesk-bench-pipeline tray-add <folder>
#include "VeskServices/Pipelines/PipelineRunner.h"
#include "VeskServices/Tray/TrayStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QUrl>

#include <cstdio>

using namespace vesk;

namespace {

int usage() {
    std::fprintf(stderr, "usage: vesk-bench-pipeline <pipeline id> <output folder> <input>...\n"
                         "       vesk-bench-pipeline tray-add <folder>\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() == 2 && args[0] == QLatin1String("tray-add")) {
        // The tray lives in the XDG folders the caller chose.
        TrayStore tray(QStringLiteral("Vesk"));
        QObject::connect(&tray, &TrayStore::itemNotAdded, [](const QString& name, const QString& reason) {
            std::fprintf(stderr, "vesk-bench-pipeline: couldn't add %s: %s\n", qPrintable(name),
                         qPrintable(reason));
            QCoreApplication::exit(1);
        });
        const QList<TrayItem> accepted = tray.add({QUrl::fromLocalFile(QDir(args[1]).absolutePath())}, false,
                                                  [](const QList<TrayItem>&) { QCoreApplication::exit(0); });
        if (accepted.isEmpty()) {
            std::fprintf(stderr, "vesk-bench-pipeline: the tray took nothing\n");
            return 1;
        }
        return app.exec();
    }
    if (args.size() < 3) return usage();
    const auto id = fromRaw<PipelineID>(args[0]);
    if (!id) return usage();
    PipelineRunner runner;
    PipelinePtr pipeline;
    for (const PipelinePtr& candidate : runner.registry().all())
        if (candidate->id() == *id) pipeline = candidate;
    if (!pipeline) return usage();
    QList<QUrl> urls;
    for (const QString& input : args.mid(2))
        urls.append(QUrl::fromLocalFile(QDir(input).absolutePath()));
    QObject::connect(&runner, &PipelineRunner::stateChanged, [&runner] {
        if (const auto* failed = std::get_if<PipelineRunState::Failed>(&runner.state().value)) {
            std::fprintf(stderr, "vesk-bench-pipeline: %s\n", qPrintable(failed->message));
            QCoreApplication::exit(1);
        }
    });
    runner.run(pipeline, urls, QDir(args[1]).absolutePath(),
               [](const QList<QUrl>&) { QCoreApplication::exit(0); });
    return app.exec();
}
