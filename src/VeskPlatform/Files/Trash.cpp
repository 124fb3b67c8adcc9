#include "VeskPlatform/Files/Trash.h"

#include "VeskKit/Foundation/Files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::trash {

namespace {

constexpr int maxNameAttempts = 10000;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A private folder, made when missing; a link or anything else in its place fails.
bool ensureFolder(const QString& path, QString* error) {
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST) {
        *error = path + QStringLiteral(": ") + systemError();
        return false;
    }
    struct stat info {};
    if (::lstat(native.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        *error = path + QStringLiteral(": not a folder");
        return false;
    }
    return true;
}

const QString recordSuffix = QStringLiteral(".trashinfo");

// "report.pdf", then "report.2.pdf", "report.3.pdf", ...; the part before the
// extension cut to fit `maxBytes`.
QString candidateName(const QString& name, int attempt, int maxBytes) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString number = attempt == 1 ? QString() : QLatin1Char('.') + QString::number(attempt);
    if (dot <= 0) return files::fittedName(name, number, {}, maxBytes);
    return files::fittedName(name.left(dot), number, name.mid(dot), maxBytes);
}

} // namespace

QString homeTrash() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

std::optional<QString> moveToTrash(const QString& path, QString* error, const QString& restorePath) {
    QString ignored;
    if (!error) error = &ignored;
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString name = QFileInfo(absolute).fileName();
    struct stat source {};
    if (name.isEmpty() || ::lstat(QFile::encodeName(absolute).constData(), &source) != 0) {
        *error = absolute + QStringLiteral(": ") +
                 (name.isEmpty() ? QStringLiteral("nothing to trash") : systemError());
        return std::nullopt;
    }
    const QString trash = homeTrash();
    const QString files = trash + QStringLiteral("/files");
    const QString info = trash + QStringLiteral("/info");
    if (!ensureFolder(trash, error) || !ensureFolder(files, error) || !ensureFolder(info, error))
        return std::nullopt;
    struct stat target {};
    if (::stat(QFile::encodeName(files).constData(), &target) != 0 || target.st_dev != source.st_dev) {
        *error = absolute + QStringLiteral(": not on the trash's filesystem");
        return std::nullopt;
    }

    const QString restored =
        restorePath.isEmpty() ? absolute : QDir::cleanPath(QFileInfo(restorePath).absoluteFilePath());
    // Both the entry's name and its record's must fit in their folders.
    const int maxBytes = std::min(files::nameLimit(files), files::nameLimit(info) - int(recordSuffix.size()));
    const QByteArray record =
        "[Trash Info]\nPath=" + QUrl::toPercentEncoding(restored, "/") + "\nDeletionDate=" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddThh:mm:ss")).toLatin1() + "\n";
    for (int attempt = 1; attempt <= maxNameAttempts; ++attempt) {
        const QString candidate = candidateName(name, attempt, maxBytes);
        const QString recordPath = info + QLatin1Char('/') + candidate + recordSuffix;
        const QString destination = files + QLatin1Char('/') + candidate;
        // The record is created exclusively first: it reserves the name.
        const QByteArray nativeRecord = QFile::encodeName(recordPath);
        const int fd =
            ::open(nativeRecord.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            *error = recordPath + QStringLiteral(": ") + systemError();
            return std::nullopt;
        }
        struct stat taken {};
        if (::lstat(QFile::encodeName(destination).constData(), &taken) == 0) {
            ::close(fd);
            ::unlink(nativeRecord.constData());
            continue;
        }
        const bool written = ::write(fd, record.constData(), record.size()) == record.size();
        const bool closed = ::close(fd) == 0;
        if (!written || !closed) {
            *error = recordPath + QStringLiteral(": ") + systemError();
            ::unlink(nativeRecord.constData());
            return std::nullopt;
        }
        if (::rename(QFile::encodeName(absolute).constData(), QFile::encodeName(destination).constData()) !=
            0) {
            *error = absolute + QStringLiteral(": ") + systemError();
            ::unlink(nativeRecord.constData());
            return std::nullopt;
        }
        return destination;
    }
    *error = absolute + QStringLiteral(": no free name in the trash");
    return std::nullopt;
}

} // namespace vesk::trash
