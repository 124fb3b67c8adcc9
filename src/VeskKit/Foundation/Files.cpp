#include "VeskKit/Foundation/Files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::files {

QString applicationSupportFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Vesk");
}

QString configFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/Vesk");
}

QString userTemporaryFolder() {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir()) return QDir::cleanPath(runtime);
    return QDir::tempPath();
}

namespace {

QString systemError(int number) {
    return QString::fromLocal8Bit(std::strerror(number));
}

} // namespace

bool makePrivateFolder(const QString& path) {
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (QFileInfo(clean).isDir()) return true;
    // Each missing folder from the top down, so none is ever made with wider access.
    const QStringList parts = clean.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString& part : parts) {
        current += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), S_IRWXU) != 0 && errno != EEXIST) return false;
    }
    return QFileInfo(clean).isDir();
}

void restrictToOwner(const QString& path) {
    struct stat status {};
    const QByteArray native = QFile::encodeName(path);
    if (::lstat(native.constData(), &status) != 0 || S_ISLNK(status.st_mode) || status.st_uid != ::getuid())
        return;
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) == 0) return;
    ::chmod(native.constData(), status.st_mode & S_IRWXU);
}

FileRead readRegularFile(const QString& path, qint64 maxBytes) {
    FileRead result;
    const QByteArray native = QFile::encodeName(path);
    struct stat status {};
    if (::stat(native.constData(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return result;
        result.status = FileRead::Status::unreadable;
        result.error = systemError(errno);
        return result;
    }
    const auto notRegular = [&result] {
        result.status = FileRead::Status::notRegular;
        result.error = QStringLiteral("not a regular file");
        return result;
    };
    // Checked before opening too: opening a device can have effects of its own.
    if (!S_ISREG(status.st_mode)) return notRegular();
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        result.status = errno == ENOENT ? FileRead::Status::missing : FileRead::Status::unreadable;
        if (result.status != FileRead::Status::missing) result.error = systemError(errno);
        return result;
    }
    const auto finish = [fd, &result](FileRead::Status outcome, const QString& error = {}) {
        ::close(fd);
        result.status = outcome;
        result.error = error;
        if (outcome != FileRead::Status::ok) result.bytes.clear();
        return result;
    };
    // What was opened may not be what was looked at: judge the descriptor.
    if (::fstat(fd, &status) != 0) return finish(FileRead::Status::unreadable, systemError(errno));
    if (!S_ISREG(status.st_mode)) {
        ::close(fd);
        return notRegular();
    }
    const QString tooLarge = QStringLiteral("larger than %1 bytes").arg(maxBytes);
    if (status.st_size > maxBytes) return finish(FileRead::Status::tooLarge, tooLarge);
    // One byte more than allowed tells a file that grew meanwhile.
    result.bytes.resize(qsizetype(std::min<qint64>(status.st_size, maxBytes) + 1));
    qint64 total = 0;
    for (;;) {
        if (total == result.bytes.size()) {
            if (total > maxBytes) break;
            result.bytes.resize(qsizetype(std::min<qint64>(total * 2, maxBytes + 1)));
        }
        const ssize_t n = ::read(fd, result.bytes.data() + total, size_t(result.bytes.size() - total));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return finish(FileRead::Status::unreadable, systemError(errno));
        if (n == 0) break;
        total += n;
    }
    if (total > maxBytes) return finish(FileRead::Status::tooLarge, tooLarge);
    result.bytes.resize(qsizetype(total));
    return finish(FileRead::Status::ok);
}

bool writeAtomically(const QString& path, const QByteArray& data, QString* error) {
    const QFileInfo info(path);
    if (!makePrivateFolder(info.absolutePath())) {
        if (error) *error = QStringLiteral("cannot create folder %1").arg(info.absolutePath());
        return false;
    }
    // Unbuffered: every write reaches the file or says why not. Through Qt's buffer the
    // last bytes are written only by commit(), which renames the temporary into place even
    // when that write failed (a full disk leaves a cut or empty file).
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (error) *error = file.errorString();
        return false;
    }
    const auto fail = [&file, error](const QString& reason) {
        if (error) *error = reason.isEmpty() ? QStringLiteral("the file could not be written whole") : reason;
        file.cancelWriting();
        return false;
    };
    // The new file is the user's alone, whatever an older one allowed.
    if (file.handle() >= 0) ::fchmod(file.handle(), S_IRUSR | S_IWUSR);
    // A short write (the disk filled midway) is followed by one that fails with the reason.
    for (qint64 done = 0; done < data.size();) {
        const qint64 n = file.write(data.constData() + done, data.size() - done);
        if (n <= 0) return fail(file.errorString());
        done += n;
    }
    // Some file systems report a lost write only here; commit() would not say.
    if (file.handle() >= 0 && ::fdatasync(file.handle()) != 0 && errno != EINVAL && errno != EROFS)
        return fail(systemError(errno));
    if (!file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}

std::optional<QString> keepAside(const QString& path) {
    if (!QFileInfo::exists(path)) return std::nullopt;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = path + QStringLiteral(".corrupt-") + stamp;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = path + QStringLiteral(".corrupt-") + stamp + QLatin1Char('-') + QString::number(n);
    if (!QFile::rename(path, target)) return std::nullopt;
    return target;
}

int nameLimit(const QString& folder) {
    const long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return limit > 0 ? int(std::min(limit, 4096L)) : 255;
}

QString fittedName(const QString& stem, const QString& insert, const QString& extension, int maxBytes) {
    const bool keepExtension = QFile::encodeName(extension).size() <= maxBytes / 2;
    QString cut = keepExtension ? stem : stem + extension;
    const QString tail = keepExtension ? insert + extension : insert;
    // From the middle: the start says what the file is, the end often what was made of it.
    while (!cut.isEmpty() && QFile::encodeName(cut + tail).size() > maxBytes) {
        qsizetype at = cut.size() / 2;
        if (at > 0 && cut.at(at).isLowSurrogate()) --at;
        cut.remove(at, cut.at(at).isHighSurrogate() && at + 1 < cut.size() ? 2 : 1);
    }
    return cut + tail;
}

bool isInside(const QString& path, const QString& folder) {
    auto within = [](const QString& p, const QString& f) {
        if (p.isEmpty() || f.isEmpty()) return false;
        const QString prefix = f.endsWith(QLatin1Char('/')) ? f : f + QLatin1Char('/');
        return p.startsWith(prefix) && p.size() > prefix.size();
    };
    const QString cleanPath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString cleanFolder = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    if (!within(cleanPath, cleanFolder)) return false;
    const QString canonicalFolder = QFileInfo(folder).canonicalFilePath();
    const QString canonicalPath = QFileInfo(path).canonicalFilePath();
    if (!canonicalFolder.isEmpty() && !canonicalPath.isEmpty()) return within(canonicalPath, canonicalFolder);
    return true;
}

QString besideProgram(const QString& fileName) {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString beside = folder + QLatin1Char('/') + fileName;
    const QString built = QDir::cleanPath(folder + QStringLiteral("/../bin/") + fileName);
    return !QFileInfo::exists(beside) && QFileInfo::exists(built) ? built : beside;
}

} // namespace vesk::files
