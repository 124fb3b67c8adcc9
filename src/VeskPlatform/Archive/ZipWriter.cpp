#include "VeskPlatform/Archive/ZipArchive.h"

#include "VeskPlatform/Files/FolderEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

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

constexpr qsizetype blockSize = qsizetype(1) << 20;

// Deflating these again costs time for a few percent at best.
bool isCompressed(const QByteArray& path) {
    static const QSet<QString> extensions{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("heic"),
        QStringLiteral("heif"), QStringLiteral("webp"), QStringLiteral("gif"),  QStringLiteral("avif"),
        QStringLiteral("zip"),  QStringLiteral("gz"),   QStringLiteral("tgz"),  QStringLiteral("bz2"),
        QStringLiteral("xz"),   QStringLiteral("zst"),  QStringLiteral("7z"),   QStringLiteral("rar"),
        QStringLiteral("mp3"),  QStringLiteral("m4a"),  QStringLiteral("aac"),  QStringLiteral("ogg"),
        QStringLiteral("opus"), QStringLiteral("flac"), QStringLiteral("mp4"),  QStringLiteral("m4v"),
        QStringLiteral("mov"),  QStringLiteral("mkv"),  QStringLiteral("webm"), QStringLiteral("avi"),
    };
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return dot > slash + 1 && extensions.contains(QString::fromUtf8(path.mid(dot + 1)).toLower());
}

bool isSystemWriteError(int error) {
    return error == ENOSPC || error == EDQUOT || error == EIO || error == EFBIG || error == EROFS ||
           error == EACCES || error == EPERM;
}

struct ArchiveDeleter {
    void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryDeleter {
    void operator()(archive_entry* e) const { archive_entry_free(e); }
};

class Writer {
public:
    Writer(const QString& output, const std::atomic<bool>* stop)
        : m_output(output), m_nativeOutput(QFile::encodeName(output)), m_stop(stop) {}

    std::optional<Failure> run(const QStringList& inputs) {
        m_archive.reset(archive_write_new());
        archive* a = m_archive.get();
        if (archive_write_set_format_zip(a) != ARCHIVE_OK) return libraryFailure();
        archive_write_set_format_option(a, "zip", "compression-level", "6");
        // Names are UTF-8, and flagged so, whatever the locale.
        archive_write_set_format_option(a, "zip", "hdrcharset", "UTF-8");
        if (archive_write_open_filename(a, QFile::encodeName(m_output).constData()) != ARCHIVE_OK)
            return writeFailure();
        for (const QString& input : inputs) {
            const QString clean = QDir::cleanPath(input);
            if (auto failure = add(QFile::encodeName(clean), QFileInfo(clean).fileName().toUtf8()))
                return failure;
        }
        if (archive_write_close(a) != ARCHIVE_OK) return writeFailure();
        return std::nullopt;
    }

private:
    std::optional<Failure> libraryFailure() const {
        return Failure{Failure::Kind::library, m_output,
                       QString::fromUtf8(archive_error_string(m_archive.get()))};
    }
    std::optional<Failure> writeFailure() const {
        const int error = archive_errno(m_archive.get());
        if (error > 0 && !isSystemWriteError(error)) return libraryFailure();
        return Failure{Failure::Kind::writeFailed, m_output,
                       QString::fromUtf8(archive_error_string(m_archive.get()))};
    }
    static Failure readFailure(const QByteArray& path) {
        return Failure{Failure::Kind::readFailed, QFile::decodeName(path),
                       QString::fromLocal8Bit(std::strerror(errno))};
    }

    // `native` is the path on disk, `name` the entry's name in the archive, both as bytes:
    // names that are not UTF-8 are met rather than skipped.
    std::optional<Failure> add(const QByteArray& native, const QByteArray& name) {
        if (m_stop && m_stop->load()) return Failure{Failure::Kind::stopped, QFile::decodeName(native), {}};
        if (native == m_nativeOutput) return std::nullopt;
        // Names are stored flagged as UTF-8; bytes that are not would make an archive
        // other programs cannot open, and none can be left out unsaid.
        if (!files::isUtf8(name))
            return Failure{Failure::Kind::library, QFile::decodeName(native),
                           QStringLiteral("A ZIP can't hold the name ") +
                               QFile::decodeName(name.mid(name.lastIndexOf('/') + 1))};
        struct stat info {};
        if (::lstat(native.constData(), &info) != 0) return readFailure(native);
        // Sockets, pipes and devices have no place in a ZIP.
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode)) return std::nullopt;

        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        archive_entry_copy_stat(entry.get(), &info);
        archive_entry_set_uid(entry.get(), 0);
        archive_entry_set_gid(entry.get(), 0);
        archive_entry_set_pathname_utf8(entry.get(), name.constData());
        int fd = -1;
        if (S_ISDIR(info.st_mode)) archive_entry_set_size(entry.get(), 0);
        if (S_ISLNK(info.st_mode)) {
            QByteArray target(4096, Qt::Uninitialized);
            const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
            if (n < 0) return readFailure(native);
            target.truncate(n);
            archive_entry_copy_symlink(entry.get(), target.constData());
            archive_entry_set_size(entry.get(), 0);
        } else if (S_ISREG(info.st_mode)) {
            fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0) return readFailure(native);
            if (isCompressed(name))
                archive_write_zip_set_compression_store(m_archive.get());
            else
                archive_write_zip_set_compression_deflate(m_archive.get());
        }
        struct Closer {
            int fd;
            ~Closer() {
                if (fd >= 0) ::close(fd);
            }
        } closer{fd};
        if (archive_write_header(m_archive.get(), entry.get()) < ARCHIVE_WARN) return writeFailure();

        if (fd >= 0) {
            if (m_buffer.isEmpty()) m_buffer.resize(blockSize);
            for (;;) {
                if (m_stop && m_stop->load())
                    return Failure{Failure::Kind::stopped, QFile::decodeName(native), {}};
                const ssize_t n = ::read(fd, m_buffer.data(), size_t(m_buffer.size()));
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return readFailure(native);
                }
                if (n == 0) break;
                if (archive_write_data(m_archive.get(), m_buffer.constData(), size_t(n)) != n)
                    return writeFailure();
            }
        }
        if (!S_ISDIR(info.st_mode)) return std::nullopt;
        const auto children = files::folderEntries(native, true);
        if (!children) return readFailure(native);
        for (const files::FolderEntry& child : *children)
            if (auto failure = add(native + '/' + child.name, name + '/' + child.name)) return failure;
        return std::nullopt;
    }

    QString m_output;
    QByteArray m_nativeOutput;
    const std::atomic<bool>* m_stop;
    std::unique_ptr<archive, ArchiveDeleter> m_archive;
    QByteArray m_buffer;
};

} // namespace

std::optional<Failure> write(const QStringList& inputs, const QString& output,
                             const std::atomic<bool>* stop) {
    return Writer(QDir::cleanPath(output), stop).run(inputs);
}

} // namespace vesk::zip_archive
