#pragma once

#include "support/EventLoop.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::test {

// A stand-in for vesk-media-adapter: a shell script in a folder of its own that logs
// every run's arguments, and whose "stream" run copies to its standard output exactly
// what the test writes into a pipe, one write at a time, until the test closes it.
class FakeAdapter {
public:
    // `interpreter` lets a test make a script that cannot be launched.
    explicit FakeAdapter(const QString& interpreter = QStringLiteral("/bin/sh")) {
        if (!m_folder.isValid()) return;
        // Writing into a pipe whose reader went away must be an error, not the end of the test.
        std::signal(SIGPIPE, SIG_IGN);
        QFile file(m_folder.filePath(QStringLiteral("vesk-media-adapter")));
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write("#!" + interpreter.toUtf8() + R"(
dir=$(dirname "$0")
echo "$*" >> "$dir/calls.log"
case "$1" in
  stream)
    echo $$ > "$dir/stream.pid"
    exec cat "$dir/stream.fifo" ;;
  test)
    [ -f "$dir/test-hangs" ] && exec sleep 30
    exit $(cat "$dir/test-exit" 2>/dev/null || echo 0) ;;
  *) exit 0 ;;
esac
)");
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_ok = ::mkfifo(fifo().constData(), 0600) == 0;
    }
    ~FakeAdapter() { closeStream(); }

    bool ok() const { return m_ok; }
    QString folder() const { return m_folder.path(); }

    // Waits (running the event loop) until a stream run has the pipe open.
    bool openStream(int timeoutMs = patienceMs) {
        closeStream();
        return processEventsUntil(
            [&] {
                // Fails with ENXIO until a reader has the pipe open.
                m_writer = ::open(fifo().constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                if (m_writer < 0) return false;
                ::fcntl(m_writer, F_SETFL, ::fcntl(m_writer, F_GETFL) & ~O_NONBLOCK);
                return true;
            },
            timeoutMs);
    }
    void write(const QByteArray& bytes) {
        for (qsizetype written = 0; m_writer >= 0 && written < bytes.size();) {
            const ssize_t n = ::write(m_writer, bytes.constData() + written, size_t(bytes.size() - written));
            if (n <= 0) break;
            written += n;
        }
    }
    // The stream run sees the end of its input and exits.
    void closeStream() {
        if (m_writer >= 0) ::close(m_writer);
        m_writer = -1;
    }
    // Waits until the last stream run has exited and been reaped, that is once the
    // source has seen the exit.
    bool waitForStreamExit(int timeoutMs = patienceMs) {
        const pid_t pid = pid_t(read(QStringLiteral("stream.pid")).trimmed().toInt());
        return pid > 0 &&
               processEventsUntil([pid] { return ::kill(pid, 0) != 0 && errno == ESRCH; }, timeoutMs);
    }

    // The arguments of every run so far, one line each, oldest first.
    QStringList calls() const {
        return QString::fromUtf8(read(QStringLiteral("calls.log")))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    int streamRuns() const {
        return int(calls().filter(QRegularExpression(QStringLiteral("^stream"))).size());
    }

    void setTestExitCode(int code) { put(QStringLiteral("test-exit"), QByteArray::number(code)); }
    void setTestHangs() { put(QStringLiteral("test-hangs"), "1"); }

private:
    QByteArray fifo() const { return QFile::encodeName(m_folder.filePath(QStringLiteral("stream.fifo"))); }
    QByteArray read(const QString& name) const {
        QFile file(m_folder.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void put(const QString& name, const QByteArray& bytes) {
        QFile file(m_folder.filePath(name));
        if (file.open(QIODevice::WriteOnly)) file.write(bytes);
    }

    QTemporaryDir m_folder{QDir::tempPath() + QStringLiteral("/vesk-adapter-XXXXXX")};
    int m_writer = -1;
    bool m_ok = false;
};

} // namespace vesk::test
