#include "VeskPlatform/Archive/ZipArchive.h"

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
bool isCompressed(const QString& name) {
    static const QSet<QString> extensions{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("heic"),
        QStringLiteral("heif"), QStringLiteral("webp"), QStringLiteral("gif"),  QStringLiteral("avif"),
        QStringLiteral("zip"),  QStringLiteral("gz"),   QStringLiteral("tgz"),  QStringLiteral("bz2"),
        QStringLiteral("xz"),   QStringLiteral("zst"),  QStringLiteral("7z"),   QStringLiteral("rar"),
        QStringLiteral("mp3"),  QStringLiteral("m4a"),  QStringLiteral("aac"),  QStringLiteral("ogg"),
        QStringLiteral("opus"), QStringLiteral("flac"), QStringLiteral("mp4"),  QStringLiteral("m4v"),
        QStringLiteral("mov"),  QStringLiteral("mkv"),  QStringLiteral("webm"), QStringLiteral("avi"),
    };
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 && extensions.contains(name.mid(dot + 1).toLower());
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
    Writer(const QString& output, const std::atomic<bool>* stop) : m_output(output), m_stop(stop) {}

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
            if (auto failure = add(clean, QFileInfo(clean).fileName())) return failure;
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
    static Failure readFailure(const QString& path) {
        return Failure{Failure::Kind::readFailed, path, QString::fromLocal8Bit(std::strerror(errno))};
    }

    std::optional<Failure> add(const QString& path, const QString& name) {
        if (m_stop && m_stop->load()) return Failure{Failure::Kind::stopped, path, {}};
        if (path == m_output) return std::nullopt;
        struct stat info {};
        const QByteArray native = QFile::encodeName(path);
        if (::lstat(native.constData(), &info) != 0) return readFailure(path);
        // Sockets, pipes and devices have no place in a ZIP.
        if (!S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode) && !S_ISLNK(info.st_mode)) return std::nullopt;

        std::unique_ptr<archive_entry, EntryDeleter> entry(archive_entry_new());
        archive_entry_copy_stat(entry.get(), &info);
        archive_entry_set_uid(entry.get(), 0);
        archive_entry_set_gid(entry.get(), 0);
        archive_entry_set_pathname_utf8(entry.get(), name.toUtf8().constData());
        int fd = -1;
        if (S_ISDIR(info.st_mode)) archive_entry_set_size(entry.get(), 0);
        if (S_ISLNK(info.st_mode)) {
            QByteArray target(4096, Qt::Uninitialized);
            const ssize_t n = ::readlink(native.constData(), target.data(), size_t(target.size()));
            if (n < 0) return readFailure(path);
            target.truncate(n);
            archive_entry_copy_symlink(entry.get(), target.constData());
            archive_entry_set_size(entry.get(), 0);
        } else if (S_ISREG(info.st_mode)) {
            fd = ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
            if (fd < 0) return readFailure(path);
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
                if (m_stop && m_stop->load()) return Failure{Failure::Kind::stopped, path, {}};
                const ssize_t n = ::read(fd, m_buffer.data(), size_t(m_buffer.size()));
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return readFailure(path);
                }
                if (n == 0) break;
                if (archive_write_data(m_archive.get(), m_buffer.constData(), size_t(n)) != n)
                    return writeFailure();
            }
        }
        if (!S_ISDIR(info.st_mode)) return std::nullopt;
        const QStringList children = QDir(path).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QString& child : children)
            if (auto failure = add(path + QLatin1Char('/') + child, name + QLatin1Char('/') + child))
                return failure;
        return std::nullopt;
    }

    QString m_output;
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
