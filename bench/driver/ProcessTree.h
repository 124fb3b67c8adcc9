#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace vesk::bench {

// What /proc says about a process and everything it started, at one moment. CPU time is
// the scheduler's nanosecond count per thread (user + system), so a minute of near idle
// still measures to better than the 10 ms ticks of /proc/<pid>/stat.
struct TaskCounters {
    qint64 cpuNs = 0;
    qint64 switches = 0; // voluntary + involuntary context switches: the thread's wake-ups
};

struct ChildProcess {
    int pid = 0;
    QString name;
    qint64 rssKb = 0;
    qint64 ussKb = 0;
};

struct TreeSample {
    qint64 timeNs = 0;
    bool alive = false;
    QHash<int, TaskCounters> tasks; // by thread id, over the whole tree
    qint64 rssKb = 0;               // the process itself
    qint64 ussKb = 0;               // its private memory (unique set size)
    QList<ChildProcess> children;   // its descendants

    // Resident and private memory of the process with its descendants.
    double totalRssMb() const;
    double totalUssMb() const;
};

struct Usage {
    double seconds = 0;
    double cpuMs = 0;
    double switches = 0;
    double rssMb = 0;      // the process itself at the end
    double childRssMb = 0; // its descendants at the end
    double ussMb = 0;      // private memory of the process itself at the end
    double childUssMb = 0; // and of its descendants
    QStringList children;

    double totalRssMb() const { return rssMb + childRssMb; }
    double totalUssMb() const { return ussMb + childUssMb; }

    double cpuMsPerMinute() const { return seconds > 0 ? cpuMs * 60.0 / seconds : 0; }
    double corePercent() const { return seconds > 0 ? cpuMs / (seconds * 10.0) : 0; }
    double wakeupsPerSecond() const { return seconds > 0 ? switches / seconds : 0; }
};

TreeSample sampleTree(int pid);
// Counters of threads that ended inside the window are lost; threads born inside it
// count from zero.
Usage usageBetween(const TreeSample& start, const TreeSample& end);

} // namespace vesk::bench
