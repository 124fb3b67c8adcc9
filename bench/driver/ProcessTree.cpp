#include "ProcessTree.h"

#include "Clock.h"

#include <QDir>
#include <QFile>
#include <QMultiHash>

#include <unistd.h>

namespace vesk::bench {
namespace {

QByteArray readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll();
}

// The field after "<key>:" in a /proc status file.
qint64 statusField(const QByteArray& status, const QByteArray& key) {
    const qsizetype at = status.indexOf(QByteArray('\n' + key + ':'));
    if (at < 0) return 0;
    const qsizetype start = at + key.size() + 2;
    const qsizetype end = status.indexOf('\n', start);
    return status.mid(start, end - start).trimmed().split(' ').value(0).toLongLong();
}

// The parent of every process, from /proc/<pid>/stat (the name may hold spaces and
// parentheses, so fields are read after the last ')').
QMultiHash<int, int> childrenByParent() {
    QMultiHash<int, int> children;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const int pid = entry.toInt(&numeric);
        if (!numeric) continue;
        const QByteArray stat = readFile(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (close < 0) continue;
        const QList<QByteArray> fields = stat.mid(close + 2).split(' ');
        if (fields.size() > 1) children.insert(fields[1].toInt(), pid);
    }
    return children;
}

// Private memory: the pages no other process maps.
qint64 ussKb(int pid) {
    const QByteArray rollup = readFile(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    return statusField(rollup, "Private_Clean") + statusField(rollup, "Private_Dirty");
}

void addTasks(int pid, QHash<int, TaskCounters>& tasks) {
    const QString taskDir = QStringLiteral("/proc/%1/task").arg(pid);
    const QStringList tids = QDir(taskDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& tid : tids) {
        const QString base = taskDir + QLatin1Char('/') + tid;
        TaskCounters counters;
        const QByteArray schedstat = readFile(base + QStringLiteral("/schedstat"));
        if (!schedstat.isEmpty()) {
            counters.cpuNs = schedstat.split(' ').value(0).toLongLong();
        } else {
            // Kernels without scheduler statistics: user + system ticks.
            const QByteArray stat = readFile(base + QStringLiteral("/stat"));
            const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
            const qint64 ticks = fields.value(11).toLongLong() + fields.value(12).toLongLong();
            counters.cpuNs = ticks * 1000000000 / sysconf(_SC_CLK_TCK);
        }
        const QByteArray status = readFile(base + QStringLiteral("/status"));
        counters.switches = statusField(status, "voluntary_ctxt_switches") +
                            statusField(status, "nonvoluntary_ctxt_switches");
        tasks.insert(tid.toInt(), counters);
    }
}

} // namespace

TreeSample sampleTree(int pid) {
    TreeSample sample;
    sample.timeNs = monotonicNs();
    const QByteArray status = readFile(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.isEmpty() || pid <= 0) return sample;
    sample.alive = true;
    sample.rssKb = statusField(status, "VmRSS");
    sample.ussKb = ussKb(pid);
    addTasks(pid, sample.tasks);

    const QMultiHash<int, int> children = childrenByParent();
    QList<int> pending = children.values(pid);
    while (!pending.isEmpty()) {
        const int child = pending.takeFirst();
        const QByteArray childStatus = readFile(QStringLiteral("/proc/%1/status").arg(child));
        if (childStatus.isEmpty()) continue;
        // The program's own name: "comm" is cut at 15 characters.
        const QByteArray argv0 = readFile(QStringLiteral("/proc/%1/cmdline").arg(child)).split('\0').value(0);
        QString name = QString::fromLocal8Bit(argv0).section(QLatin1Char('/'), -1);
        if (name.isEmpty())
            name = QString::fromUtf8(readFile(QStringLiteral("/proc/%1/comm").arg(child)).trimmed());
        sample.children.append({child, name, statusField(childStatus, "VmRSS"), ussKb(child)});
        addTasks(child, sample.tasks);
        pending.append(children.values(child));
    }
    return sample;
}

Usage usageBetween(const TreeSample& start, const TreeSample& end) {
    Usage usage;
    usage.seconds = double(end.timeNs - start.timeNs) / 1e9;
    qint64 cpuNs = 0, switches = 0;
    for (auto it = end.tasks.cbegin(); it != end.tasks.cend(); ++it) {
        const TaskCounters before = start.tasks.value(it.key());
        cpuNs += qMax<qint64>(0, it->cpuNs - before.cpuNs);
        switches += qMax<qint64>(0, it->switches - before.switches);
    }
    usage.cpuMs = double(cpuNs) / 1e6;
    usage.switches = double(switches);
    usage.rssMb = double(end.rssKb) / 1024.0;
    usage.ussMb = double(end.ussKb) / 1024.0;
    for (const ChildProcess& child : end.children) {
        usage.childRssMb += double(child.rssKb) / 1024.0;
        usage.childUssMb += double(child.ussKb) / 1024.0;
        usage.children.append(child.name);
    }
    return usage;
}

double TreeSample::totalRssMb() const {
    qint64 kb = rssKb;
    for (const ChildProcess& child : children)
        kb += child.rssKb;
    return double(kb) / 1024.0;
}

double TreeSample::totalUssMb() const {
    qint64 kb = ussKb;
    for (const ChildProcess& child : children)
        kb += child.ussKb;
    return double(kb) / 1024.0;
}

} // namespace vesk::bench
