#include "support/NowPlaying/FakeAdapter.h"

#include "support/EventLoop.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::test {

namespace {

const char* script = R"(
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
)";

} // namespace

FakeAdapter::FakeAdapter(const QString& interpreter)
    : m_folder(QDir::tempPath() + QStringLiteral("/vesk-adapter-XXXXXX")) {
    if (!m_folder.isValid()) return;
    // Writing into a pipe whose reader went away must be an error, not the end of the test.
    std::signal(SIGPIPE, SIG_IGN);
    QFile file(m_folder.filePath(QStringLiteral("vesk-media-adapter")));
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write("#!" + interpreter.toUtf8() + script);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_ok =
        ::mkfifo(QFile::encodeName(m_folder.filePath(QStringLiteral("stream.fifo"))).constData(), 0600) == 0;
}

FakeAdapter::~FakeAdapter() {
    closeStream();
}

bool FakeAdapter::openStream(int timeoutMs) {
    closeStream();
    const QByteArray path = QFile::encodeName(m_folder.filePath(QStringLiteral("stream.fifo")));
    return processEventsUntil(
        [&] {
            // Fails with ENXIO until a reader has the pipe open.
            m_writer = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (m_writer < 0) return false;
            ::fcntl(m_writer, F_SETFL, ::fcntl(m_writer, F_GETFL) & ~O_NONBLOCK);
            return true;
        },
        timeoutMs);
}

void FakeAdapter::write(const QByteArray& bytes) {
    qsizetype written = 0;
    while (m_writer >= 0 && written < bytes.size()) {
        const ssize_t n = ::write(m_writer, bytes.constData() + written, size_t(bytes.size() - written));
        if (n <= 0) break;
        written += n;
    }
}

void FakeAdapter::closeStream() {
    if (m_writer >= 0) ::close(m_writer);
    m_writer = -1;
}

bool FakeAdapter::waitForStreamExit(int timeoutMs) {
    QFile pidFile(m_folder.filePath(QStringLiteral("stream.pid")));
    if (!pidFile.open(QIODevice::ReadOnly)) return false;
    const pid_t pid = pid_t(pidFile.readAll().trimmed().toInt());
    // Gone only once reaped, that is once the source has seen the exit.
    return pid > 0 && processEventsUntil([pid] { return ::kill(pid, 0) != 0 && errno == ESRCH; }, timeoutMs);
}

QStringList FakeAdapter::calls() const {
    QFile log(m_folder.filePath(QStringLiteral("calls.log")));
    if (!log.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

int FakeAdapter::streamRuns() const {
    int runs = 0;
    for (const QString& call : calls())
        if (call.startsWith(QLatin1String("stream"))) ++runs;
    return runs;
}

void FakeAdapter::setTestExitCode(int code) {
    QFile file(m_folder.filePath(QStringLiteral("test-exit")));
    if (file.open(QIODevice::WriteOnly)) file.write(QByteArray::number(code));
}

void FakeAdapter::setTestHangs() {
    QFile file(m_folder.filePath(QStringLiteral("test-hangs")));
    if (file.open(QIODevice::WriteOnly)) file.write("1");
}

} // namespace vesk::test
