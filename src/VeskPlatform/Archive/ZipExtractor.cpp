#include "VeskPlatform/Archive/ZipArchive.h"

#include "VeskPlatform/Archive/ArchiveLinks.h"

#include "VeskKit/Diagnostics/TraceLog.h"

#include <QFile>
#include <QList>

#include <archive.h>
#include <archive_entry.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::zip_archive {

namespace {

using detail::Descriptor;
using detail::LinkEnd;

// A folder made along an entry's path costs what a small file does.
constexpr qint64 folderBytes = 4096;

struct ArchiveDeleter {
    void operator()(archive* a) const { archive_read_free(a); }
};

struct Folder {
    QList<QByteArray> components;
    mode_t mode;
    struct timespec mtime;
};

// Entries are written through descriptors of the folder and of each folder below it,
// opened without following links: libarchive's own disk writer resolves relative
// paths against the process's working directory, which every thread shares.
class Extractor {
public:
    Extractor(const QString& archivePath, const QString& folder, const Limits& limits,
              const std::atomic<bool>* stop)
        : m_archivePath(archivePath), m_folder(folder), m_limits(limits), m_stop(stop),
          m_umask(currentUmask()) {}

    std::optional<Failure> run() {
        m_archive.reset(archive_read_new());
        archive* a = m_archive.get();
        // The ZIP format only: a tar renamed ".zip" is a damaged archive.
        archive_read_support_format_zip(a);
        if (archive_read_open_filename(a, QFile::encodeName(m_archivePath).constData(), 1 << 20) !=
            ARCHIVE_OK)
            return refused(QString::fromUtf8(archive_error_string(a)));
        m_root =
            Descriptor(::open(QFile::encodeName(m_folder).constData(), O_DIRECTORY | O_RDONLY | O_CLOEXEC));
        if (!m_root.valid()) return writeFailure();
        for (;;) {
            if (m_stop && m_stop->load()) return Failure{Failure::Kind::stopped, m_archivePath, {}};
            archive_entry* entry = nullptr;
            const int status = archive_read_next_header(a, &entry);
            if (status == ARCHIVE_EOF) break;
            if (status < ARCHIVE_WARN) return refused(QString::fromUtf8(archive_error_string(a)));
            if (auto failure = extractEntry(entry)) return failure;
        }
        if (!removeLinksLeadingOut()) return refused(QStringLiteral("too many steps through links"));
        finishFolders();
        return std::nullopt;
    }

private:
    std::optional<Failure> refused(const QString& reason) const {
        return Failure{Failure::Kind::readFailed, m_archivePath, reason};
    }
    std::optional<Failure> writeFailure() const {
        const int error = errno;
        // A full disk is no fault of the archive's, nor of the folder's.
        const bool full = error == ENOSPC || error == EDQUOT;
        return Failure{full ? Failure::Kind::noSpace : Failure::Kind::writeFailed, m_folder,
                       QString::fromLocal8Bit(std::strerror(error))};
    }
    // Why the bytes counted so far are too many, if they are.
    std::optional<Failure> overBytes() const {
        if (m_bytes > m_limits.maxBytes) return refused(QStringLiteral("more data than allowed"));
        if (m_bytes > m_limits.maxFreeBytes)
            return Failure{Failure::Kind::noSpace, m_archivePath,
                           QStringLiteral("more data than the disk has room for")};
        return std::nullopt;
    }

    static QString display(const QList<QByteArray>& components) {
        QByteArray joined;
        for (const QByteArray& c : components)
            joined += (joined.isEmpty() ? "" : "/") + c;
        return QString::fromUtf8(joined);
    }

    // Opens (making when asked) each folder along the path, never through a link. Each
    // folder made counts toward the limits; m_overLimit says when one stopped it.
    std::optional<Descriptor> openFolders(const QList<QByteArray>& components, qsizetype count, bool make) {
        Descriptor current(::dup(m_root.get()));
        for (qsizetype i = 0; i < count; ++i) {
            if (make) {
                if (::mkdirat(current.get(), components[i].constData(), 0700) == 0) {
                    if (!countFolder()) return std::nullopt;
                } else if (errno != EEXIST) {
                    return std::nullopt;
                }
            }
            Descriptor next(::openat(current.get(), components[i].constData(),
                                     O_DIRECTORY | O_NOFOLLOW | O_RDONLY | O_CLOEXEC));
            if (!next.valid()) return std::nullopt;
            current = std::move(next);
        }
        return current;
    }

    bool countFolder() {
        m_bytes += folderBytes;
        if (++m_entries > m_limits.maxEntries)
            m_overLimit = refused(QStringLiteral("too many entries"));
        else
            m_overLimit = overBytes();
        return !m_overLimit;
    }

    // A later entry can change where an earlier link leads (a name it passes through
    // becoming a link itself): once all is on disk, every link must still resolve and
    // stay inside. False when the archive's link budget ran out.
    bool removeLinksLeadingOut() {
        for (bool removed = true; removed;) {
            removed = false;
            for (auto it = m_links.begin(); it != m_links.end();) {
                const QList<QByteArray> folder = it->mid(0, it->size() - 1);
                const auto parent = openFolders(*it, it->size() - 1, false);
                struct stat info {};
                if (!parent ||
                    ::fstatat(parent->get(), it->last().constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                    !S_ISLNK(info.st_mode)) {
                    it = m_links.erase(it);
                    continue;
                }
                const LinkEnd end = detail::resolveLink(m_root.get(), folder, it->last(), true, m_linkBudget);
                if (end == LinkEnd::overBudget) return false;
                if (end == LinkEnd::inside) {
                    ++it;
                    continue;
                }
                ::unlinkat(parent->get(), it->last().constData(), 0);
                TraceLog::trace(QStringLiteral("unzip: removed the link ") + display(*it) +
                                (end == LinkEnd::outside ? QStringLiteral(", which leads out of the folder")
                                                         : QStringLiteral(", which leads nowhere")));
                it = m_links.erase(it);
                removed = true;
            }
        }
        return true;
    }

    std::optional<Failure> extractEntry(archive_entry* entry) {
        archive* a = m_archive.get();
        const char* utf8 = archive_entry_pathname_utf8(entry);
        const char* local = utf8 ? utf8 : archive_entry_pathname(entry);
        // A name marked UTF-8 that is not has no form libarchive gives back: refused
        // rather than the entry left out unsaid.
        if (!local) return refused(QStringLiteral("a name that cannot be read"));
        const QByteArray path(local);
        if (archive_entry_is_encrypted(entry)) return refused(QStringLiteral("encrypted entry"));
        if (path.startsWith('/')) return refused(QStringLiteral("absolute path ") + QString::fromUtf8(path));
        QList<QByteArray> components;
        for (const QByteArray& part : path.split('/')) {
            if (part.isEmpty() || part == ".") continue;
            if (part == "..") return refused(QStringLiteral("\"..\" in ") + QString::fromUtf8(path));
            components.append(part);
        }
        // Leaves room under PATH_MAX for the folder's own path and for copies made of it.
        if (path.size() > maxPathBytes || components.size() > maxPathComponents)
            return refused(QStringLiteral("a path too long: ") + QString::fromUtf8(path.left(64)) +
                           QStringLiteral("…"));
        // What another system adds beside the files (resource forks and their folder).
        if (components.isEmpty() || components.first() == "__MACOSX" || components.last().startsWith("._"))
            return std::nullopt;
        const mode_t type = archive_entry_filetype(entry);
        if (archive_entry_hardlink(entry) || (type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK))
            return refused(QStringLiteral("not a file, folder or link: ") + QString::fromUtf8(path));
        if (++m_entries > m_limits.maxEntries) return refused(QStringLiteral("too many entries"));

        const QList<QByteArray> parentPath = components.mid(0, components.size() - 1);
        if (!m_lastParentFd || m_lastParent != parentPath) {
            m_lastParentFd.reset();
            m_lastParentFd = openFolders(components, components.size() - 1, true);
            m_lastParent = parentPath;
        }
        const std::optional<Descriptor>& parent = m_lastParentFd;
        if (!parent) {
            if (m_overLimit) return m_overLimit;
            if (errno == ELOOP || errno == ENOTDIR)
                return refused(QStringLiteral("path through a link: ") + QString::fromUtf8(path));
            return writeFailure();
        }
        const QByteArray& leaf = components.last();
        // Setuid, setgid and sticky bits never; the umask applies to the rest.
        const mode_t mode = archive_entry_perm(entry) & 0777;
        struct timespec times[2];
        times[0].tv_sec = times[1].tv_sec = archive_entry_mtime(entry);
        times[0].tv_nsec = times[1].tv_nsec = archive_entry_mtime_nsec(entry);

        if (type == AE_IFDIR) {
            if (::mkdirat(parent->get(), leaf.constData(), 0700) == 0) {
                // Counted as an entry already; its blocks count too.
                m_bytes += folderBytes;
                if (auto failure = overBytes()) return failure;
            } else if (errno != EEXIST) {
                return writeFailure();
            }
            struct stat info {};
            if (::fstatat(parent->get(), leaf.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                !S_ISDIR(info.st_mode))
                return refused(QStringLiteral("path through a link: ") + QString::fromUtf8(path));
            m_folders.append(Folder{components, mode, times[1]});
            return std::nullopt;
        }
        // A later entry of the same name replaces an earlier file or link (never a
        // folder, and never what a link points to).
        ::unlinkat(parent->get(), leaf.constData(), 0);
        if (type == AE_IFLNK) {
            const char* target = archive_entry_symlink(entry);
            // Judged by where it leads from here, through the links already made.
            const LinkEnd end = target ? detail::resolveLink(m_root.get(), parentPath, QByteArray(target),
                                                             false, m_linkBudget)
                                       : LinkEnd::outside;
            if (end == LinkEnd::overBudget) return refused(QStringLiteral("too many steps through links"));
            if (end != LinkEnd::inside) {
                TraceLog::trace(QStringLiteral("unzip: skipped the link ") + display(components) +
                                QStringLiteral(", which leads out of the folder"));
                return std::nullopt;
            }
            if (::symlinkat(target, parent->get(), leaf.constData()) != 0) return writeFailure();
            ::utimensat(parent->get(), leaf.constData(), times, AT_SYMLINK_NOFOLLOW);
            m_links.append(components);
            return std::nullopt;
        }
        const mode_t umask = m_umask;
        Descriptor file(::openat(parent->get(), leaf.constData(),
                                 O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
        if (!file.valid()) {
            if (errno == EEXIST || errno == ELOOP)
                return refused(QStringLiteral("cannot replace ") + QString::fromUtf8(path));
            return writeFailure();
        }
        for (;;) {
            if (m_stop && m_stop->load()) return Failure{Failure::Kind::stopped, m_archivePath, {}};
            const void* block = nullptr;
            size_t size = 0;
            la_int64_t offset = 0;
            const int status = archive_read_data_block(a, &block, &size, &offset);
            if (status == ARCHIVE_EOF) break;
            if (status < ARCHIVE_WARN) return refused(QString::fromUtf8(archive_error_string(a)));
            m_bytes += qint64(size);
            if (auto failure = overBytes()) return failure;
            const char* data = static_cast<const char*>(block);
            while (size > 0) {
                const ssize_t n = ::pwrite(file.get(), data, size, offset);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return writeFailure();
                }
                data += n;
                size -= size_t(n);
                offset += n;
            }
        }
        ::fchmod(file.get(), mode & ~umask);
        ::futimens(file.get(), times);
        return std::nullopt;
    }

    // Folders get their modes and times last, deepest first: writing inside a folder
    // changes its time, and a read-only folder could not be filled.
    void finishFolders() {
        const mode_t umask = m_umask;
        for (qsizetype i = m_folders.size() - 1; i >= 0; --i) {
            const Folder& folder = m_folders[i];
            const auto parent = openFolders(folder.components, folder.components.size() - 1, false);
            if (!parent) continue;
            const char* leaf = folder.components.last().constData();
            struct timespec times[2] = {folder.mtime, folder.mtime};
            ::utimensat(parent->get(), leaf, times, AT_SYMLINK_NOFOLLOW);
            ::fchmodat(parent->get(), leaf, (folder.mode | 0700) & ~umask, 0);
        }
    }

    // Read without setting it: umask() would change it for every thread meanwhile.
    static mode_t currentUmask() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (status.open(QIODevice::ReadOnly))
            for (const QByteArray& line : status.readAll().split('\n'))
                if (line.startsWith("Umask:")) return mode_t(line.mid(6).trimmed().toUInt(nullptr, 8));
        return 022;
    }

    QString m_archivePath;
    QString m_folder;
    Limits m_limits;
    const std::atomic<bool>* m_stop;
    std::unique_ptr<archive, ArchiveDeleter> m_archive;
    Descriptor m_root;
    qint64 m_entries = 0;
    qint64 m_bytes = 0;
    // Why the last folder could not be made, when a limit stopped it.
    std::optional<Failure> m_overLimit;
    QList<Folder> m_folders;
    // Every link made, to be judged again at the end.
    QList<QList<QByteArray>> m_links;
    qint64 m_linkBudget = m_limits.maxLinkSteps;
    mode_t m_umask;
    // The folder of the last entry, kept open: archives list a folder's files together.
    QList<QByteArray> m_lastParent;
    std::optional<Descriptor> m_lastParentFd;
};

} // namespace

std::optional<Failure> extract(const QString& archive, const QString& folder, const Limits& limits,
                               const std::atomic<bool>* stop) {
    return Extractor(archive, folder, limits, stop).run();
}

} // namespace vesk::zip_archive
