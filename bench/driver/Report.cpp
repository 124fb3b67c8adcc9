#include "Report.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace vesk::bench {
namespace {

const QString kMissing = QStringLiteral("—");

double median(QList<double> values) {
    if (values.isEmpty()) return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double worst(const QList<double>& values) {
    return values.isEmpty() ? 0 : *std::max_element(values.cbegin(), values.cend());
}

QString number(double value, int decimals) {
    return QString::number(value, 'f', decimals);
}

QString ratio(double a, double b) {
    if (b <= 0) return {};
    return number(a / b, 2) + QStringLiteral("×");
}

// Paths under the working folder (bench/run works from the repository root) print short.
QString shown(const QString& path) {
    const QString relative = QDir::current().relativeFilePath(path);
    return relative.startsWith(QLatin1String("..")) ? path : relative;
}

QString cpuModel() {
    QFile file(QStringLiteral("/proc/cpuinfo"));
    if (!file.open(QIODevice::ReadOnly)) return {};
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith("model name"))
            return QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
    return {};
}

class Table {
public:
    void heading(const QString& text) { m_text += text + QLatin1Char('\n'); }
    void row(const QString& label, const QString& a, const QString& b = {}, const QString& c = {}) {
        m_text += QStringLiteral("  ") + label.leftJustified(34) + a.rightJustified(22) +
                  b.rightJustified(22) + c.rightJustified(12);
        while (m_text.endsWith(QLatin1Char(' ')))
            m_text.chop(1);
        m_text += QLatin1Char('\n');
    }
    void line(const QString& text = {}) { m_text += text + QLatin1Char('\n'); }
    QString text() const { return m_text; }

private:
    QString m_text;
};

void usageRows(Table& t, const std::optional<Phase>& mine, const std::optional<Phase>& floor) {
    const auto cell = [](const std::optional<Phase>& p, auto fn) -> QString { return p ? fn(*p) : kMissing; };
    const auto cpu = [](const Phase& p) -> QString {
        return number(p.usage.cpuMsPerMinute(), 1) + QStringLiteral(" ms (") +
               number(p.usage.corePercent(), 3) + QStringLiteral(" %)");
    };
    const auto wakeups = [](const Phase& p) -> QString { return number(p.usage.wakeupsPerSecond(), 1); };
    const auto rss = [](const Phase& p) -> QString {
        return number(p.usage.totalRssMb(), 1) + QStringLiteral(" MB");
    };
    const auto uss = [](const Phase& p) -> QString {
        return number(p.usage.totalUssMb(), 1) + QStringLiteral(" MB");
    };
    const auto paints = [](const Phase& p) -> QString { return number(p.paintsPerSecond(), 2); };
    const bool both = mine && floor;
    t.row(QStringLiteral("CPU per minute (share of a core)"), cell(mine, cpu), cell(floor, cpu),
          both ? ratio(mine->usage.cpuMs / mine->usage.seconds, floor->usage.cpuMs / floor->usage.seconds)
               : QString());
    t.row(QStringLiteral("wake-ups per second"), cell(mine, wakeups), cell(floor, wakeups),
          both ? ratio(mine->usage.wakeupsPerSecond(), floor->usage.wakeupsPerSecond()) : QString());
    t.row(QStringLiteral("resident memory, with children"), cell(mine, rss), cell(floor, rss),
          both ? ratio(mine->usage.totalRssMb(), floor->usage.totalRssMb()) : QString());
    t.row(QStringLiteral("private memory (USS), children"), cell(mine, uss), cell(floor, uss),
          both ? ratio(mine->usage.totalUssMb(), floor->usage.totalUssMb()) : QString());
    t.row(QStringLiteral("repaints per second"), cell(mine, paints), cell(floor, paints));
}

} // namespace

QString report(const Config& config, const Environment& env, const SubjectResult& program,
               const SubjectResult& floor) {
    Table t;
    t.line(QStringLiteral("VeskNotch benchmark, %1, %2 cores%3%4")
               .arg(QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd HH:mm 'UTC'")))
               .arg(QThread::idealThreadCount())
               .arg(cpuModel().isEmpty() ? QString() : QStringLiteral(" (") + cpuModel() + QLatin1Char(')'))
               .arg(config.quick ? QStringLiteral(", short run") : QString()));
    t.line(
        QStringLiteral("Display: Xvfb %1 %2; private session and system buses; PulseAudio with a null sink")
            .arg(env.screen, env.compositor ? QStringLiteral("with a compositing manager")
                                            : QStringLiteral("WITHOUT a compositing manager")));
    t.line(QStringLiteral("Measured: %1 (with its child processes) beside the floor, %2")
               .arg(shown(program.program), shown(floor.program)));
    t.line(QStringLiteral("Backlight polls: ") +
           (env.polls.isEmpty()
                ? QStringLiteral("none (no backlight, no keyboard backlight on this machine)")
                : env.polls.join(QStringLiteral(", ")) + QStringLiteral(" (these add wake-ups)")));
    t.line();
    t.row({}, program.label, floor.label, QStringLiteral("ratio"));

    t.heading(QStringLiteral("Idle, %1 s").arg(config.idleSeconds));
    usageRows(t, program.idle, floor.idle);
    t.heading(QStringLiteral("Playing (MPRIS test player; the floor animates five bars), %1 s")
                  .arg(config.playingSeconds));
    usageRows(t, program.playing, floor.playing);
    const auto shownCell = [](const SubjectResult& r) -> QString {
        return r.playerShown ? (*r.playerShown ? QStringLiteral("yes") : QStringLiteral("no")) : kMissing;
    };
    t.row(QStringLiteral("the notch showed the player"), shownCell(program), shownCell(floor));

    t.heading(QStringLiteral("Start-up to the first painted notch window"));
    const auto startup = [](const SubjectResult& r) -> QString {
        return r.startupMs.isEmpty() ? kMissing : number(median(r.startupMs), 0) + QStringLiteral(" ms");
    };
    t.row(QStringLiteral("median of %1").arg(config.startups), startup(program), startup(floor),
          program.startupMs.isEmpty() || floor.startupMs.isEmpty()
              ? QString()
              : ratio(median(program.startupMs), median(floor.startupMs)));
    t.line();

    t.row(QStringLiteral("Activity latency, %1 changes").arg(config.samples), program.label,
          QStringLiteral("libpulse subscriber"), QStringLiteral("beyond ms"));
    QList<double> shown, deliveredMs, beyond;
    for (const LatencySample& s : program.latency) {
        shown.append(s.shownMs);
        deliveredMs.append(s.deliveredMs);
        beyond.append(s.shownMs - s.deliveredMs);
    }
    const bool haveLatency = !shown.isEmpty();
    const auto msCell = [&](double v) -> QString {
        return haveLatency ? number(v, 1) + QStringLiteral(" ms") : kMissing;
    };
    t.row(QStringLiteral("median (%1 measured)").arg(shown.size()), msCell(median(shown)),
          msCell(median(deliveredMs)), haveLatency ? number(median(beyond), 1) : QString());
    t.row(QStringLiteral("worst"), msCell(worst(shown)), msCell(worst(deliveredMs)),
          haveLatency ? number(worst(beyond), 1) : QString());
    t.line();

    if (program.load) {
        const LoadResult& l = *program.load;
        t.heading(
            QStringLiteral("Under load, %1 volume changes in %2 s").arg(l.changes).arg(number(l.seconds, 1)));
        QString shownText;
        switch (l.shown) {
        case LoadResult::Shown::Same:
            shownText = QStringLiteral("yes (%1 %)").arg(l.lastSet);
            break;
        case LoadResult::Shown::Different:
            shownText = QStringLiteral("NO (set %1 %)").arg(l.lastSet);
            break;
        case LoadResult::Shown::CannotTell:
            shownText = QStringLiteral("cannot tell");
            break;
        case LoadResult::Shown::NoPicture:
            shownText = QStringLiteral("no picture");
            break;
        }
        t.row(
            QStringLiteral("last value shown"), shownText,
            QStringLiteral("%1 read, last %2")
                .arg(l.delivered)
                .arg(l.lastDelivered ? QString::number(*l.lastDelivered) + QStringLiteral(" %") : kMissing));
        t.row(QStringLiteral("CPU used (share of a core)"),
              number(l.cpuMs, 0) + QStringLiteral(" ms (") +
                  number(l.seconds > 0 ? l.cpuMs / (l.seconds * 10) : 0, 1) + QStringLiteral(" %)"));
        t.row(QStringLiteral("repaints"), QString::number(l.paints));
        t.row(QStringLiteral("resident memory before, after"),
              number(l.rssBeforeMb, 1) + QStringLiteral(", ") + number(l.rssAfterMb, 1) +
                  QStringLiteral(" MB"));
        if (l.shown == LoadResult::Shown::CannotTell)
            t.line(QStringLiteral("  (the notch looks the same at %1 % and at a clearly different volume)")
                       .arg(l.lastSet));
    } else {
        t.heading(QStringLiteral("Under load, %1 volume changes").arg(config.loadChanges));
        t.row(QStringLiteral("last value shown"), kMissing);
    }

    if (program.desk) {
        const DeskResult& d = *program.desk;
        t.line();
        t.heading(QStringLiteral("The open Desk: a click on the hovered notch, then Escape, %1 cycles")
                      .arg(d.firstPaintMs.size()));
        const auto cell = [](const QList<double>& v, bool worstOne) -> QString {
            return v.isEmpty() ? kMissing
                               : number(worstOne ? worst(v) : median(v), 0) + QStringLiteral(" ms");
        };
        const auto withWorst = [&cell](const QList<double>& v) -> QString {
            return cell(v, false) + QStringLiteral(" (worst ") + cell(v, true) + QStringLiteral(")");
        };
        t.row(QStringLiteral("first repaint after the click"), withWorst(d.firstRepaintMs));
        t.row(QStringLiteral("first repaint at the Desk's size"), withWorst(d.firstPaintMs));
        t.row(QStringLiteral("last repaint of the opening"), cell(d.lastPaintMs, false));
        // The program with its children, as in the idle rows.
        const auto memory = [](double rss, double uss) -> QString {
            return number(rss, 1) + QStringLiteral(" MB, USS ") + number(uss, 1) + QStringLiteral(" MB");
        };
        t.row(QStringLiteral("resident memory at rest"), memory(d.restMb, d.restUssMb));
        t.row(QStringLiteral("resident memory open 5 s"), memory(d.openMb, d.openUssMb));
        t.row(QStringLiteral("resident memory after the cycles"), memory(d.afterMb, d.afterUssMb));
        if (!d.failure.isEmpty()) t.line(QStringLiteral("  ") + d.failure);
    }

    QStringList notes;
    for (const SubjectResult* r : {&program, &floor})
        for (const QString& f : r->failures)
            notes.append(f);
    QStringList latencyNotes = program.latencyNotes;
    latencyNotes.removeDuplicates();
    for (const QString& n : latencyNotes)
        notes.append(QStringLiteral("latency: ") + n);
    for (const auto& phase : {program.idle, program.playing})
        if (phase && !phase->usage.children.isEmpty()) {
            notes.append(QStringLiteral("child processes (in every row): %1, %2 MB resident")
                             .arg(phase->usage.children.join(QStringLiteral(", ")),
                                  number(phase->usage.childRssMb, 1)));
            break;
        }
    if (!notes.isEmpty()) {
        t.line();
        t.line(QStringLiteral("Notes:"));
        for (const QString& n : notes)
            t.line(QStringLiteral("- ") + n);
    }
    return t.text();
}

} // namespace vesk::bench
