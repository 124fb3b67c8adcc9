#include "VeskServices/Pipelines/OutputRemoval.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vesk {

namespace {

constexpr int folderFlags = O_DIRECTORY | O_NOFOLLOW | O_RDONLY | O_CLOEXEC;

// One folder on the way down: who it is (to recognise it on the way back up), its name
// in its parent and its subfolders still to delete.
struct Level {
    dev_t device;
    ino_t inode;
    QByteArray name;
    QList<QByteArray> folders;
};

// Deletes everything but folders in the folder `fd`, and lists those.
bool clearFiles(int fd, QList<QByteArray>* folders) {
    const int copy = ::dup(fd);
    if (copy < 0) return false;
    DIR* listing = ::fdopendir(copy);
    if (!listing) {
        ::close(copy);
        return false;
    }
    bool ok = true;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..") continue;
        bool folder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat info {};
            if (::fstatat(fd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                ok = ok && errno == ENOENT;
                continue;
            }
            folder = S_ISDIR(info.st_mode);
        }
        if (folder)
            folders->append(name);
        else if (::unlinkat(fd, name.constData(), 0) != 0 && errno != ENOENT)
            ok = false;
    }
    ::closedir(listing);
    return ok;
}

QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

} // namespace

bool isStagedOutputName(const QByteArray& name) {
    constexpr qsizetype prefixLength = sizeof stagedOutputPrefix - 1;
    if (name.size() != prefixLength + 6 || !name.startsWith(stagedOutputPrefix)) return false;
    for (qsizetype i = prefixLength; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    }
    return true;
}

bool removeTreeAt(int folderFd, const QByteArray& name) {
    struct stat info {};
    if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(folderFd, name.constData(), 0) == 0 || errno == ENOENT;
    int current = ::openat(folderFd, name.constData(), folderFlags);
    if (current < 0) return false;
    // Only the folder being emptied stays open, however deep the tree: the way back up
    // is "..", checked against the folder that was left.
    std::vector<Level> levels;
    levels.push_back(Level{info.st_dev, info.st_ino, name, {}});
    bool ok = clearFiles(current, &levels.back().folders);
    while (!levels.empty()) {
        if (!levels.back().folders.isEmpty()) {
            const QByteArray child = levels.back().folders.takeLast();
            const int next = ::openat(current, child.constData(), folderFlags);
            struct stat childInfo {};
            if (next < 0 || ::fstat(next, &childInfo) != 0) {
                if (next >= 0) ::close(next);
                // Replaced by something that is no folder since it was listed.
                if (::unlinkat(current, child.constData(), 0) != 0 && errno != ENOENT) ok = false;
                continue;
            }
            levels.push_back(Level{childInfo.st_dev, childInfo.st_ino, child, {}});
            ok = clearFiles(next, &levels.back().folders) && ok;
            ::close(current);
            current = next;
            continue;
        }
        const QByteArray emptied = levels.back().name;
        levels.pop_back();
        if (levels.empty()) {
            ::close(current);
            return (::unlinkat(folderFd, emptied.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT) && ok;
        }
        const int up = ::openat(current, "..", O_DIRECTORY | O_RDONLY | O_CLOEXEC);
        ::close(current);
        struct stat upInfo {};
        if (up < 0 || ::fstat(up, &upInfo) != 0 || upInfo.st_dev != levels.back().device ||
            upInfo.st_ino != levels.back().inode) {
            // The tree was moved meanwhile: nothing is deleted outside it.
            if (up >= 0) ::close(up);
            return false;
        }
        current = up;
        if (::unlinkat(current, emptied.constData(), AT_REMOVEDIR) != 0 && errno != ENOENT) ok = false;
    }
    return ok;
}

bool removeOutput(const QString& folder, const QString& path) {
    const QString cleanFolder = QDir::cleanPath(folder);
    const QFileInfo info(QDir::cleanPath(path));
    if (info.path() != cleanFolder || info.fileName().isEmpty()) return false;
    const int folderFd = ::open(encoded(cleanFolder).constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (folderFd < 0) return errno == ENOENT;
    const bool removed = removeTreeAt(folderFd, encoded(info.fileName()));
    ::close(folderFd);
    return removed;
}

void removeStaleOutputs(const QString& folder) {
    const int folderFd = ::open(encoded(folder).constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC);
    if (folderFd < 0) return;
    QList<QByteArray> names;
    const int copy = ::dup(folderFd);
    if (DIR* listing = copy >= 0 ? ::fdopendir(copy) : nullptr) {
        while (const dirent* entry = ::readdir(listing))
            if (isStagedOutputName(QByteArray(entry->d_name))) names.append(entry->d_name);
        ::closedir(listing);
    } else if (copy >= 0) {
        ::close(copy);
    }
    for (const QByteArray& name : std::as_const(names)) {
        struct stat info {};
        if (::fstatat(folderFd, name.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (info.st_uid != ::geteuid() || !(S_ISDIR(info.st_mode) || S_ISREG(info.st_mode))) continue;
        const int lock = ::openat(folderFd, name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (lock < 0) continue;
        struct stat opened {};
        // A live run, here or in another copy of the program, holds its temporary's lock.
        if (::fstat(lock, &opened) == 0 && opened.st_ino == info.st_ino && opened.st_dev == info.st_dev &&
            ::flock(lock, LOCK_EX | LOCK_NB) == 0) {
            const QString path = folder + QLatin1Char('/') + QFile::decodeName(name);
            if (removeTreeAt(folderFd, name))
                TraceLog::trace(QStringLiteral("pipelines: removed the stale temporary ") + path);
            else
                TraceLog::trace(QStringLiteral("pipelines: could not remove the stale temporary ") + path);
        }
        ::close(lock);
    }
    ::close(folderFd);
}

} // namespace vesk
