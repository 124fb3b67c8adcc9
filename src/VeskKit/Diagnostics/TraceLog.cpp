#include "VeskKit/Diagnostics/TraceLog.h"

#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/LocalTime.h"
#include "VeskKit/Foundation/UserDefaults.h"

#include <QDir>
#include <QLocale>

#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

namespace {

std::mutex appendMutex;

// Opens with O_NOFOLLOW so a link planted at the path is never followed, and refuses
// a file that belongs to someone else (possible in the shared temporary folder).
int openOwned(const QString& path, int flags) {
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), flags | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_uid != ::getuid() || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

QString TraceLog::filePath() {
    return files::userTemporaryFolder() + QLatin1Char('/') + fileName();
}

bool TraceLog::isEnabled() {
    if (qEnvironmentVariableIsSet("VESK_TRACE")) return true;
    return UserDefaults::standard().boolValue(QStringLiteral("diagnosticsOptIn"));
}

QString TraceLog::timeStamp(const QTime& time, const QLocale& locale) {
    return timeWithSeconds(locale, time);
}

void TraceLog::trace(const QString& message) {
    if (!isEnabled()) return;
    append(timeStamp(QTime::currentTime()) + QStringLiteral("  ") + message);
}

void TraceLog::traceMedia(const QString& message) {
    if (!isEnabled()) return;
    append(timeStamp(QTime::currentTime()) + QStringLiteral("  [media] ") + message);
}

void TraceLog::append(const QString& line) {
    const QByteArray bytes = (line + QLatin1Char('\n')).toUtf8();
    std::lock_guard lock(appendMutex);
    const int fd = openOwned(filePath(), O_WRONLY | O_APPEND | O_CREAT);
    if (fd < 0) return;
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n =
            ::write(fd, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (n <= 0) break;
        written += n;
    }
    ::close(fd);
}

QStringList TraceLog::recentLogLines(int limit) {
    if (limit <= 0) return {};
    const int fd = openOwned(filePath(), O_RDONLY);
    if (fd < 0) return {};
    QByteArray content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0) break;
        content.append(buffer, n);
    }
    ::close(fd);
    QStringList lines = QString::fromUtf8(content).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() > limit) lines = lines.mid(lines.size() - limit);
    return lines;
}

} // namespace vesk
