#include "Clock.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <time.h>

namespace vesk::bench {

qint64 monotonicNs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

bool waitUntil(const std::function<bool()>& done, int timeoutMs, int pollMs) {
    if (done()) return true;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer tick;
    tick.setInterval(pollMs);
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done() || deadline.hasExpired()) loop.quit();
    });
    tick.start();
    loop.exec();
    return done();
}

void pause(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace vesk::bench
