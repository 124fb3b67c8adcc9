#include "Vesk/Shell/SingleInstanceLock.h"

#include <QDir>
#include <QFile>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk {

namespace {

// The descriptor of the lock this process holds, for releaseHeld().
std::atomic<int> heldFd{-1};

} // namespace

SingleInstanceLock::SingleInstanceLock(QString path) : m_path(std::move(path)) {}

SingleInstanceLock::~SingleInstanceLock() {
    if (m_fd < 0) return;
    int held = m_fd;
    heldFd.compare_exchange_strong(held, -1);
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
}

void SingleInstanceLock::releaseHeld() {
    const int fd = heldFd.exchange(-1);
    if (fd >= 0) ::flock(fd, LOCK_UN);
}

QString SingleInstanceLock::displayKey(const QString& display) {
    QString key = display.trimmed();
    // The screen number after the display number names a screen of the same server.
    const qsizetype colon = key.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        const qsizetype dot = key.indexOf(QLatin1Char('.'), colon);
        if (dot >= 0) key.truncate(dot);
    }
    if (key.isEmpty()) return QStringLiteral("none");
    QString safe;
    for (const QChar c : key)
        safe +=
            (c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-')) ? c : QLatin1Char('_');
    return safe;
}

QString SingleInstanceLock::pathForDisplay(const QString& display) {
    const QString name = QStringLiteral("vesk-notch-") + displayKey(display) + QStringLiteral(".lock");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir(runtime).exists()) return runtime + QLatin1Char('/') + name;
    return QDir::tempPath() + QStringLiteral("/vesk-notch-") + QString::number(::getuid()) +
           QLatin1Char('-') + displayKey(display) + QStringLiteral(".lock");
}

bool SingleInstanceLock::tryLock() {
    if (m_fd >= 0) return true;
    m_error.clear();
    const QByteArray path = QFile::encodeName(m_path);
    // Never through a link: in a shared temporary folder another user could plant one.
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        m_error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK) m_error = QString::fromLocal8Bit(std::strerror(errno));
        ::close(fd);
        return false;
    }
    m_fd = fd;
    heldFd = fd;
    return true;
}

} // namespace vesk
