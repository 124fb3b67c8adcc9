#include "VeskKit/Foundation/FolderLock.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk {

FolderLock::FolderLock(const QString& folder, double patience) {
    m_fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_fd < 0) return;
    QElapsedTimer waited;
    waited.start();
    while (true) {
        if (::flock(m_fd, LOCK_EX | LOCK_NB) == 0) {
            m_locked = true;
            return;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) return;
        if (waited.elapsed() >= qint64(patience * 1000)) return;
        QThread::msleep(5);
    }
}

FolderLock::~FolderLock() {
    // Closing the folder lets the lock go.
    if (m_fd >= 0) ::close(m_fd);
}

} // namespace vesk
