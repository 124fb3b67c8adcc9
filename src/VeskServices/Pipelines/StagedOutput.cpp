#include "VeskServices/Pipelines/StagedOutput.h"

#include "VeskServices/Pipelines/OutputRemoval.h"
#include "VeskServices/Pipelines/PipelineError.h"
#include "VeskServices/Pipelines/PipelineSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

// Claims `target` for the temporary without ever replacing what is there: EEXIST when
// the name is taken, 0 when done, another errno on failure.
int claim(const QString& temporary, const QString& target, StagedOutput::Kind kind) {
    const QByteArray from = encoded(temporary);
    const QByteArray to = encoded(target);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return errno;
    // Filesystems without that rename: a hard link, or an empty folder taken first.
    if (kind == StagedOutput::Kind::file) {
        if (::link(from.constData(), to.constData()) != 0) return errno;
        ::unlink(from.constData());
        return 0;
    }
    if (::mkdir(to.constData(), 0700) != 0) return errno;
    if (::rename(from.constData(), to.constData()) != 0) {
        const int error = errno;
        ::rmdir(to.constData());
        return error;
    }
    return 0;
}

// Read without setting it: umask() would change it for every thread meanwhile.
mode_t processUmask() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:")) return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 022;
}

bool removeTree(const QString& path) {
    const QFileInfo info(path);
    const int folder = ::open(encoded(info.path()).constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (folder < 0) return errno == ENOENT;
    const bool removed = removeTreeAt(folder, encoded(info.fileName()));
    ::close(folder);
    return removed;
}

// Whether `fd` is still what `path` names: the start-up sweep of another copy of the
// program may have taken the temporary between its making and its locking.
bool stillNamed(int fd, const QString& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(encoded(path).constData(), &named) == 0 &&
           opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

} // namespace

StagedOutput::StagedOutput(QString folder, QString name, QString extension, Kind kind)
    : m_folder(std::move(folder)), m_name(std::move(name)), m_extension(std::move(extension)), m_kind(kind) {
    QByteArray pattern;
    // The lock marks the temporary as a live run's for as long as this object lives.
    for (int attempt = 0; attempt < 5 && m_lock < 0; ++attempt) {
        pattern = encoded(m_folder + QLatin1Char('/') + QLatin1String(stagedOutputPrefix) +
                          QStringLiteral("XXXXXX"));
        int fd = -1;
        if (kind == Kind::file) {
            fd = ::mkostemp(pattern.data(), O_CLOEXEC);
        } else if (::mkdtemp(pattern.data())) {
            fd = ::open(pattern.constData(), O_DIRECTORY | O_NOFOLLOW | O_RDONLY | O_CLOEXEC);
            if (fd < 0) ::rmdir(pattern.constData());
        }
        if (fd < 0) break;
        while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
        }
        if (stillNamed(fd, QFile::decodeName(pattern)))
            m_lock = fd;
        else
            ::close(fd);
    }
    if (m_lock < 0) throw PipelineError::writeFailed(displayName());
    m_path = QFile::decodeName(pattern);
    if (kind == Kind::entry) {
        m_holder = m_path;
        m_path = m_holder + QStringLiteral("/entry");
    }
}

StagedOutput::~StagedOutput() {
    if (!m_holder.isEmpty())
        removeTree(m_holder);
    else if (!m_published && !m_path.isEmpty())
        removeTree(m_path);
    if (m_lock >= 0) ::close(m_lock);
}

QString StagedOutput::displayName() const {
    const QString base = m_name.isEmpty() ? QStringLiteral("file") : m_name;
    return m_extension.isEmpty() ? base : base + QLatin1Char('.') + m_extension;
}

QUrl StagedOutput::publish() {
    // Outputs are the user's files, with the permissions any file they make gets
    // (temporaries are made private).
    Kind kind = m_kind;
    if (kind == Kind::entry) {
        // What the caller made there, copied with its own permissions.
        struct stat info {};
        if (::lstat(encoded(m_path).constData(), &info) != 0) throw PipelineError::writeFailed(displayName());
        kind = S_ISDIR(info.st_mode) ? Kind::folder : Kind::file;
    } else {
        ::chmod(encoded(m_path).constData(), (m_kind == Kind::file ? 0666 : 0777) & ~processUmask());
    }
    for (;;) {
        const QUrl candidate = pipeline_support::uniqueURL(m_folder, m_name, m_extension);
        const int error = claim(m_path, candidate.toLocalFile(), kind);
        if (error == 0) {
            m_published = true;
            return candidate;
        }
        // Taken since it was found free: the next name is tried.
        if (error != EEXIST && error != ENOTEMPTY) throw PipelineError::writeFailed(displayName());
    }
}

} // namespace vesk
