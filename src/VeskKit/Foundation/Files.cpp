#include "VeskKit/Foundation/Files.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

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

bool writeAtomically(const QString& path, const QByteArray& data, QString* error) {
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) {
        if (error) *error = QStringLiteral("cannot create folder %1").arg(info.absolutePath());
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error) *error = file.errorString();
        return false;
    }
    if (file.write(data) != data.size()) {
        if (error) *error = file.errorString();
        file.cancelWriting();
        return false;
    }
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
