#include "VeskServices/Clipboard/ClipboardCopies.h"

#include "VeskKit/Foundation/Json.h"

#include <QDir>
#include <QFile>
#include <QUuid>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vesk {

namespace {

const QString prefix = QStringLiteral(".running-");

QByteArray native(const QString& path) {
    return QFile::encodeName(path);
}

} // namespace

ClipboardCopies::ClipboardCopies(QString folder) : m_folder(std::move(folder)) {
    const QString name = json::uuidString(QUuid::createUuid());
    // Locked under a name no other copy looks at, then shown: a copy looking meanwhile
    // never finds it unlocked and takes it for one left behind.
    const QString pending = m_folder + QStringLiteral("/.starting-") + name;
    m_fd = ::open(native(pending).constData(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (m_fd < 0) return;
    if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 ||
        ::rename(native(pending).constData(),
                 native(m_folder + QLatin1Char('/') + prefix + name).constData()) != 0) {
        ::unlink(native(pending).constData());
        ::close(m_fd);
        m_fd = -1;
        return;
    }
    m_path = m_folder + QLatin1Char('/') + prefix + name;
}

ClipboardCopies::~ClipboardCopies() {
    if (m_fd < 0) return;
    ::unlink(native(m_path).constData());
    ::close(m_fd);
}

bool ClipboardCopies::alone() const {
    const QStringList names =
        QDir(m_folder).entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System);
    bool alone = true;
    for (const QString& name : names) {
        const QString path = m_folder + QLatin1Char('/') + name;
        if (path == m_path) continue;
        const int fd = ::open(native(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0)
            ::unlink(native(path).constData()); // its copy ended without tidying up
        else
            alone = false;
        ::close(fd);
    }
    return alone;
}

} // namespace vesk
