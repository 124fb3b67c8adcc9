// vesk-bench: measures vesk-notch beside the floor program and prints the table. It
// expects the environment bench/run sets up (an X display with a compositing manager,
// private buses, a sound server with the sink to change); run bench/run rather than this.
#include "Bench.h"
#include "Report.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace vesk::bench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString here = QCoreApplication::applicationDirPath();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Measures vesk-notch beside a minimal Qt program."));
    parser.addHelpOption();
    const QCommandLineOption programOption(QStringLiteral("program"),
                                           QStringLiteral("The program to measure."), QStringLiteral("path"),
                                           here + QStringLiteral("/../bin/vesk-notch"));
    const QCommandLineOption sinkOption(QStringLiteral("sink"),
                                        QStringLiteral("The sink whose volume is changed."),
                                        QStringLiteral("name"), QStringLiteral("bench"));
    const QCommandLineOption scratchOption(QStringLiteral("scratch"),
                                           QStringLiteral("A folder for homes and logs."),
                                           QStringLiteral("path"), QDir::tempPath());
    const QCommandLineOption shortOption(
        QStringLiteral("short"), QStringLiteral("A run of seconds that only checks that everything works."));
    const QCommandLineOption secondsOption(QStringLiteral("seconds"),
                                           QStringLiteral("Length of the idle and playing windows."),
                                           QStringLiteral("n"));
    const QCommandLineOption startupsOption(QStringLiteral("startups"), QStringLiteral("Start-ups to time."),
                                            QStringLiteral("n"));
    const QCommandLineOption samplesOption(QStringLiteral("samples"),
                                           QStringLiteral("Volume changes to time."), QStringLiteral("n"));
    const QCommandLineOption changesOption(
        QStringLiteral("changes"), QStringLiteral("Volume changes in the load test."), QStringLiteral("n"));
    parser.addOptions({programOption, sinkOption, scratchOption, shortOption, secondsOption, startupsOption,
                       samplesOption, changesOption});
    parser.process(app);

    Config config;
    config.program = QDir::cleanPath(parser.value(programOption));
    config.floor = here + QStringLiteral("/vesk-bench-floor");
    config.xwatch = here + QStringLiteral("/vesk-bench-xwatch");
    config.pulsewatch = here + QStringLiteral("/vesk-bench-pulsewatch");
    config.player = here + QStringLiteral("/vesk-bench-player");
    config.sink = parser.value(sinkOption);
    config.scratch = parser.value(scratchOption);
    if (parser.isSet(shortOption)) {
        config.quick = true;
        config.startups = 1;
        config.settleMs = 500;
        config.idleSeconds = 2;
        config.playingSeconds = 2;
        config.samples = 5;
        config.loadChanges = 50;
    }

    const auto count = [&parser](const QCommandLineOption& option, int& value) {
        if (parser.isSet(option)) value = qMax(1, parser.value(option).toInt());
    };
    count(secondsOption, config.idleSeconds);
    count(secondsOption, config.playingSeconds);
    count(startupsOption, config.startups);
    count(samplesOption, config.samples);
    count(changesOption, config.loadChanges);

    Bench bench(config);
    if (!bench.prepare()) {
        std::fprintf(stderr, "bench: cannot measure: %s\n", qPrintable(bench.error()));
        return 2;
    }
    SubjectResult program, floor;
    bench.run(program, floor);
    std::fputs(qPrintable(report(config, bench.environment(), program, floor)), stdout);
    // The floor always runs: when it cannot be measured, the harness itself is broken.
    if (!floor.idle || floor.startupMs.isEmpty()) {
        std::fprintf(stderr, "bench: the floor program could not be measured\n");
        return 2;
    }
    return 0;
}
