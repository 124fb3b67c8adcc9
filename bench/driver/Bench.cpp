#include "Bench.h"

#include "Clock.h"
#include "Subject.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cstdio>

namespace vesk::bench {
namespace {

void progress(const QString& text) {
    std::fprintf(stderr, "bench: %s\n", qPrintable(text));
}

double ms(qint64 ns) {
    return double(ns) / 1e6;
}

} // namespace

Bench::Bench(Config config) : m_config(std::move(config)) {}

Bench::~Bench() {
    // The helpers first: their last lines would land in members already gone.
    if (m_pulsewatch) m_pulsewatch->stop();
    if (m_xwatch) m_xwatch->stop();
}

bool Bench::prepare() {
    m_xwatch =
        std::make_unique<LineHelper>(QStringLiteral("the X watcher"), m_config.xwatch,
                                     QStringList{QStringLiteral("--wait-compositor"), QStringLiteral("5000")},
                                     m_config.scratch + QStringLiteral("/xwatch.log"));
    m_xwatch->onLine = [this](const QByteArray& line) { m_windows.addLine(line); };
    m_pulsewatch = std::make_unique<LineHelper>(QStringLiteral("the libpulse subscriber"),
                                                m_config.pulsewatch, QStringList{m_config.sink},
                                                m_config.scratch + QStringLiteral("/pulsewatch.log"));
    m_pulsewatch->onLine = [this](const QByteArray& line) {
        const QList<QByteArray> f = line.split(' ');
        if (f.value(1) == "ready") {
            m_pulseReady = true;
            m_volume = f.value(2).toInt();
        } else if (f.value(1) == "volume") {
            m_volumes.append({f[0].toLongLong(), f.value(3).toLongLong(), f.value(2).toInt()});
        }
    };
    if (!m_xwatch->start() ||
        !waitUntil([this] { return m_windows.ready() || !m_xwatch->running(); }, 15000) ||
        !m_windows.ready()) {
        m_error = m_xwatch->failure();
        return false;
    }
    if (!m_pulsewatch->start() ||
        !waitUntil([this] { return m_pulseReady || !m_pulsewatch->running(); }, 10000) || !m_pulseReady) {
        m_error = m_pulsewatch->failure();
        return false;
    }
    return true;
}

Environment Bench::environment() const {
    Environment env;
    env.compositor = m_windows.compositor();
    env.screen = QStringLiteral("%1x%2").arg(m_windows.screen().width()).arg(m_windows.screen().height());
    const QStringList backlights =
        QDir(QStringLiteral("/sys/class/backlight")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    if (!backlights.isEmpty())
        env.polls.append(QStringLiteral("display brightness (") + backlights.join(QStringLiteral(", ")) +
                         QLatin1Char(')'));
    const QStringList keyboards =
        QDir(QStringLiteral("/sys/class/leds"))
            .entryList({QStringLiteral("*kbd_backlight*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    if (!keyboards.isEmpty())
        env.polls.append(QStringLiteral("keyboard backlight (") + keyboards.join(QStringLiteral(", ")) +
                         QLatin1Char(')'));
    return env;
}

void Bench::run(SubjectResult& program, SubjectResult& floor) {
    Subject floorSubject(QStringLiteral("floor"), m_config.floor,
                         m_config.scratch + QStringLiteral("/floor"));
    Subject programSubject(QFileInfo(m_config.program).fileName(), m_config.program,
                           m_config.scratch + QStringLiteral("/program"));
    floor.label = floorSubject.label();
    floor.program = floorSubject.program();
    program.label = programSubject.label();
    program.program = programSubject.program();

    // Both stay up together, and idle and playing are measured over the same window for
    // both, so a busy machine weighs on both sides of each ratio alike.
    pointerAway();
    startUp(floorSubject, floor);
    startUp(programSubject, program);
    const QList<Measured> both{{&programSubject, &program}, {&floorSubject, &floor}};
    pointerAway();
    measureTogether(both, m_config.idleSeconds, QStringLiteral("idle"), &SubjectResult::idle);
    if (programSubject.running()) measureLatency(programSubject, program);
    if (programSubject.running()) program.load = measureLoad(programSubject, program);
    if (programSubject.running()) program.desk = measureDesk(programSubject, program);
    // While music plays the floor does what the notch does: five bars at 30 frames a second.
    floorSubject.stop();
    Subject barsSubject(QStringLiteral("floor"), m_config.floor,
                        m_config.scratch + QStringLiteral("/floor-bars"), {QStringLiteral("--bars")});
    SubjectResult bars;
    if (barsSubject.start() &&
        waitUntil(
            [&] { return m_windows.firstNotchPaint(barsSubject.pid(), barsSubject.startNs()).has_value(); },
            20000))
        measurePlaying({{&programSubject, &program}, {&barsSubject, &bars}});
    else
        floor.failures.append(QStringLiteral("the floor with bars did not start"));
    floor.playing = bars.playing;
    floor.playerShown = false;
    programSubject.stop();
    barsSubject.stop();
}

bool Bench::startUp(Subject& subject, SubjectResult& result) {
    const int runs = qMax(1, m_config.startups);
    for (int run = 0; run < runs; ++run) {
        progress(QStringLiteral("starting %1 (%2 of %3)").arg(subject.label()).arg(run + 1).arg(runs));
        if (!subject.start()) {
            result.failures.append(subject.label() + QLatin1Char(' ') +
                                   subject.ending().value_or(QStringLiteral("did not start")));
            return false;
        }
        std::optional<WindowLog::Event> paint;
        waitUntil(
            [&] {
                paint = m_windows.firstNotchPaint(subject.pid(), subject.startNs());
                return paint.has_value() || !subject.running();
            },
            20000);
        if (!paint) {
            const auto ending = subject.ending();
            result.failures.append(subject.label() + QLatin1Char(' ') +
                                   ending.value_or(QStringLiteral("painted no notch window within 20 s")));
            subject.stop();
            return false;
        }
        result.startupMs.append(ms(paint->timeNs - subject.startNs()));
        if (run + 1 < runs) {
            subject.stop();
            pause(300);
        }
    }
    progress(QStringLiteral("letting %1 settle").arg(subject.label()));
    pause(m_config.settleMs);
    waitQuiet(subject.pid(), 5000);
    result.restingPicture = picture(subject.pid());
    return subject.running();
}

void Bench::measureTogether(const QList<Measured>& subjects, int seconds, const QString& what,
                            std::optional<Phase> SubjectResult::*phase) {
    QList<Measured> running;
    for (const Measured& m : subjects)
        if (m.subject->running()) running.append(m);
    if (running.isEmpty()) return;
    progress(QStringLiteral("measuring %1 for %2 s").arg(what).arg(seconds));
    QList<TreeSample> starts;
    for (const Measured& m : running)
        starts.append(sampleTree(int(m.subject->pid())));
    pause(seconds * 1000);
    for (qsizetype i = 0; i < running.size(); ++i) {
        Subject& subject = *running[i].subject;
        SubjectResult& result = *running[i].result;
        const TreeSample end = sampleTree(int(subject.pid()));
        if (!starts[i].alive || !end.alive || !subject.running()) {
            result.failures.append(subject.label() + QStringLiteral(" ended while %1: ").arg(what) +
                                   subject.ending().value_or(QStringLiteral("gone")));
            continue;
        }
        Phase measured;
        measured.usage = usageBetween(starts[i], end);
        measured.paints = m_windows.paints(subject.pid(), starts[i].timeNs, end.timeNs);
        result.*phase = measured;
    }
}

void Bench::measureLatency(Subject& subject, SubjectResult& result) {
    progress(QStringLiteral("measuring activity latency over %1 volume changes").arg(m_config.samples));
    // The resting notch: each change is made with the notch back at rest, so every
    // sample measures a pill appearing rather than one already on screen changing.
    std::optional<QString> resting = m_config.quick ? std::nullopt : result.restingPicture;
    const int restTimeoutMs = m_config.quick ? 2000 : 15000;
    for (int i = 0; i < m_config.samples && subject.running(); ++i) {
        if (!waitQuiet(subject.pid(), restTimeoutMs, resting) && resting) {
            result.latencyNotes.append(
                QStringLiteral(
                    "the notch did not return to its resting picture within %1 s; changes were made "
                    "%2 ms after its last repaint")
                    .arg(restTimeoutMs / 1000)
                    .arg(m_config.quietMs));
            resting.reset();
        }
        const int target = nextVolume(30 + (i * 17) % 41);
        const qint64 t0 = monotonicNs();
        if (!setVolume(target)) {
            result.latencyNotes.append(QStringLiteral("pactl failed to set the volume"));
            return;
        }
        std::optional<WindowLog::Event> paint;
        std::optional<Volume> volume;
        waitUntil(
            [&] {
                paint = m_windows.firstNotchPaint(subject.pid(), t0);
                volume = delivered(target, t0);
                return paint && volume;
            },
            5000);
        if (!volume) {
            result.latencyNotes.append(QStringLiteral("the libpulse subscriber missed a change"));
            continue;
        }
        if (!paint) {
            result.latencyNotes.append(
                QStringLiteral("no repaint of the notch window within 5 s of a change"));
            continue;
        }
        result.latency.append({ms(paint->timeNs - t0), ms(volume->readNs - t0)});
    }
}

std::optional<LoadResult> Bench::measureLoad(Subject& subject, SubjectResult& result) {
    progress(QStringLiteral("sending %1 volume changes").arg(m_config.loadChanges));
    waitQuiet(subject.pid(), m_config.quick ? 2000 : 15000);
    LoadResult load;
    load.changes = m_config.loadChanges;
    const TreeSample before = sampleTree(int(subject.pid()));
    load.rssBeforeMb = double(before.rssKb) / 1024.0;
    qint64 lastSentNs = 0;
    for (int i = 0; i < load.changes; ++i) {
        int value = 20 + (i * 37) % 61;
        if (value == m_volume) value += 1;
        lastSentNs = monotonicNs();
        if (!setVolume(value)) {
            result.failures.append(QStringLiteral("pactl failed during the load test"));
            return std::nullopt;
        }
    }
    load.lastSet = m_volume;
    waitUntil([&] { return delivered(load.lastSet, lastSentNs).has_value(); }, 10000);
    waitQuiet(subject.pid(), 10000);
    const TreeSample after = sampleTree(int(subject.pid()));
    const Usage usage = usageBetween(before, after);
    load.seconds = usage.seconds;
    load.cpuMs = usage.cpuMs;
    load.paints = m_windows.paints(subject.pid(), before.timeNs, after.timeNs);
    for (const Volume& v : m_volumes)
        if (v.eventNs >= before.timeNs && v.eventNs <= after.timeNs) {
            ++load.delivered;
            load.lastDelivered = v.percent;
        }

    // Whether the notch ended on the last value: its picture now against its picture
    // after the same value is set again, slowly, by way of a clearly different one.
    const auto settleOn = [&](int value) {
        const qint64 t0 = monotonicNs();
        setVolume(value);
        waitUntil([&] { return delivered(value, t0).has_value(); }, 5000);
        waitQuiet(subject.pid(), 10000);
        return picture(subject.pid());
    };
    const std::optional<QString> afterLoad = picture(subject.pid());
    const int other = load.lastSet > 50 ? load.lastSet - 25 : load.lastSet + 25;
    const std::optional<QString> otherPicture = settleOn(other);
    const std::optional<QString> again = settleOn(load.lastSet);
    if (!afterLoad || !again || !otherPicture)
        load.shown = LoadResult::Shown::NoPicture;
    else if (*again == *otherPicture)
        load.shown = LoadResult::Shown::CannotTell;
    else
        load.shown = *afterLoad == *again ? LoadResult::Shown::Same : LoadResult::Shown::Different;
    load.rssAfterMb = double(sampleTree(int(subject.pid())).rssKb) / 1024.0;
    return load;
}

void Bench::measurePlaying(const QList<Measured>& subjects) {
    pointerAway();
    // Back at rest first, so what a notch shows next is the player's doing.
    // An animated floor is never quiet, and has no resting picture to wait for.
    for (const Measured& m : subjects)
        if (m.subject->running() && m.result->restingPicture)
            waitQuiet(m.subject->pid(), m_config.quick ? 3000 : 15000, m.result->restingPicture);
    progress(QStringLiteral("starting the test player"));
    // Silence into the null sink, so the sound server sees a stream as it does while
    // music plays, and the player on the session bus.
    QProcess stream;
    stream.setStandardOutputFile(QProcess::nullDevice());
    stream.setStandardErrorFile(m_config.scratch + QStringLiteral("/pacat.log"));
    stream.start(QStringLiteral("pacat"),
                 {QStringLiteral("--playback"), QStringLiteral("--raw"),
                  QStringLiteral("--device=") + m_config.sink, QStringLiteral("/dev/zero")});
    QProcess player;
    player.setStandardErrorFile(m_config.scratch + QStringLiteral("/player.log"));
    player.start(m_config.player, {});
    const bool ready = player.waitForStarted(5000) && player.waitForReadyRead(5000) &&
                       player.readLine().trimmed() == "ready";
    if (!ready) {
        for (const Measured& m : subjects)
            m.result->failures.append(QStringLiteral("the test player did not start (see player.log)"));
    } else {
        // A player that starts while nothing is on screen waits in the background slot
        // until the next activity ends: one volume change brings the ambient media up
        // once its pill has gone, as it does on a desktop a moment after music starts.
        pause(2000);
        setVolume(nextVolume(45));
        pause(qMax(m_config.settleMs, 4000));
        for (const Measured& m : subjects) {
            const auto playing = m.subject->running() ? picture(m.subject->pid()) : std::nullopt;
            if (playing && m.result->restingPicture)
                m.result->playerShown = *playing != *m.result->restingPicture;
        }
        measureTogether(subjects, m_config.playingSeconds, QStringLiteral("while playing"),
                        &SubjectResult::playing);
    }
    for (QProcess* p : {&player, &stream}) {
        p->terminate();
        if (!p->waitForFinished(3000)) p->kill();
        p->waitForFinished(2000);
    }
}

std::optional<qint64> Bench::fakeInput(const QByteArray& command) {
    m_windows.clearInputDone();
    m_xwatch->write(command);
    if (!waitUntil([this] { return m_windows.inputDone().has_value(); }, 3000, 5)) return std::nullopt;
    return m_windows.inputDone();
}

void Bench::pointerAway() {
    const QSize screen = m_windows.screen();
    fakeInput(QStringLiteral("move %1 %2").arg(screen.width() / 2).arg(screen.height() * 3 / 4).toUtf8());
}

std::optional<DeskResult> Bench::measureDesk(Subject& subject, SubjectResult& result) {
    DeskResult desk;
    const quint32 pid = subject.pid();
    const int cycles = m_config.quick ? 1 : m_config.deskCycles;
    const auto memory = [pid](double& rss, double& uss) {
        const TreeSample sample = sampleTree(int(pid));
        rss = sample.totalRssMb();
        uss = sample.totalUssMb();
    };
    for (int cycle = 0; cycle < cycles; ++cycle) {
        progress(QStringLiteral("opening the Desk (%1 of %2)").arg(cycle + 1).arg(cycles));
        waitQuiet(pid, 15000, result.restingPicture);
        const auto resting = m_windows.notchWindow(pid);
        if (!resting) {
            desk.failure = QStringLiteral("no notch window to click");
            break;
        }
        if (cycle == 0) memory(desk.restMb, desk.restUssMb);
        const QRect frame = resting->geometry;
        // As a hand does: the pointer comes to rest on the notch, which grows for the
        // hover, and then clicks, so what follows the click is the click's doing.
        const QByteArray at =
            QStringLiteral("%1 %2").arg(frame.x() + frame.width() / 2).arg(frame.y() + 2).toUtf8();
        fakeInput("move " + at);
        waitQuiet(pid, 5000);
        const auto clicked = fakeInput("click " + at);
        if (!clicked) {
            desk.failure = QStringLiteral("the click could not be sent");
            break;
        }
        // The opening is over once the window has been quiet for a while.
        waitUntil([&] { return !m_windows.notchPaints(pid, *clicked).isEmpty(); }, 5000);
        waitQuiet(pid, 5000);
        const auto open = m_windows.notchWindow(pid);
        const QList<WindowLog::Event> paints = m_windows.notchPaints(pid, *clicked);
        if (!open || paints.isEmpty() || open->geometry.height() <= frame.height()) {
            desk.failure = QStringLiteral("the click did not open the Desk");
            break;
        }
        const auto atSize = std::find_if(paints.cbegin(), paints.cend(), [&](const WindowLog::Event& e) {
            return e.geometry.size() == open->geometry.size();
        });
        desk.firstRepaintMs.append(ms(paints.first().timeNs - *clicked));
        desk.firstPaintMs.append(ms((atSize != paints.cend() ? *atSize : paints.first()).timeNs - *clicked));
        desk.lastPaintMs.append(ms(paints.last().timeNs - *clicked));
        if (cycle == 0) {
            pause(m_config.quick ? 1000 : 5000);
            memory(desk.openMb, desk.openUssMb);
        }
        // Escape (keycode 9) closes it; the notch is at rest again once the pointer leaves.
        if (!fakeInput(QByteArrayLiteral("key 9"))) {
            desk.failure = QStringLiteral("Escape could not be sent");
            break;
        }
        pointerAway();
        if (!waitQuiet(pid, 15000, result.restingPicture)) {
            desk.failure = QStringLiteral("Escape did not close the Desk");
            break;
        }
    }
    memory(desk.afterMb, desk.afterUssMb);
    return desk;
}

bool Bench::waitQuiet(quint32 pid, int timeoutMs, const std::optional<QString>& resting) {
    const qint64 deadline = monotonicNs() + qint64(timeoutMs) * 1000000;
    const qint64 quietNs = qint64(m_config.quietMs) * 1000000;
    while (monotonicNs() < deadline) {
        const bool quiet = waitUntil([&] { return monotonicNs() - m_windows.lastPaint(pid) >= quietNs; },
                                     int((deadline - monotonicNs()) / 1000000) + 1);
        if (!quiet) return false;
        if (!resting || picture(pid) == resting) return true;
        pause(100);
    }
    return false;
}

std::optional<QString> Bench::picture(quint32 pid) {
    const auto window = m_windows.notchWindow(pid);
    if (!window) return std::nullopt;
    m_windows.clearSnapshot();
    m_xwatch->write(QByteArrayLiteral("snapshot 0x") + QByteArray::number(window->window, 16));
    if (!waitUntil([this] { return m_windows.snapshot().has_value(); }, 3000, 5)) return std::nullopt;
    const QString answer = *m_windows.snapshot();
    if (answer == QLatin1String("none")) return std::nullopt;
    return answer;
}

bool Bench::setVolume(int percent) {
    QProcess pactl;
    pactl.start(QStringLiteral("pactl"), {QStringLiteral("set-sink-volume"), m_config.sink,
                                          QString::number(percent) + QLatin1Char('%')});
    if (!pactl.waitForFinished(5000) || pactl.exitStatus() != QProcess::NormalExit || pactl.exitCode() != 0)
        return false;
    m_volume = percent;
    return true;
}

std::optional<Bench::Volume> Bench::delivered(int percent, qint64 sinceNs) const {
    for (const Volume& v : m_volumes)
        if (v.eventNs >= sinceNs && v.percent == percent) return v;
    return std::nullopt;
}

int Bench::nextVolume(int wanted) const {
    return wanted == m_volume ? wanted + 1 : wanted;
}

} // namespace vesk::bench
