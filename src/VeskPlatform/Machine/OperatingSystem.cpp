#include "VeskPlatform/Machine/OperatingSystem.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QSysInfo>

namespace vesk::machine {

namespace {

constexpr qint64 maxFileBytes = 64 * 1024;

QString readText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(maxFileBytes));
}

// A shell-style assignment's value without its quotes.
QString unquoted(QString value) {
    value = value.trimmed();
    if (value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
        value.back() == value.front())
        value = value.mid(1, value.size() - 2);
    return value;
}

} // namespace

QString paddedVersionId(const QString& osRelease) {
    QString versionId;
    for (const QString& line : osRelease.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1String("VERSION_ID=")))
            versionId = unquoted(trimmed.mid(int(qstrlen("VERSION_ID="))));
    }
    if (versionId.isEmpty()) return {};

    QStringList parts = versionId.split(QLatin1Char('.'));
    if (parts.size() > 3) return {};
    QStringList numbers;
    for (const QString& part : parts) {
        bool ok = false;
        const uint value = part.toUInt(&ok);
        if (!ok || part.isEmpty() || part.front() == QLatin1Char('+')) return {};
        numbers.append(QString::number(value));
    }
    while (numbers.size() < 3)
        numbers.append(QStringLiteral("0"));
    return numbers.join(QLatin1Char('.'));
}

QString osVersion(const QString& root) {
    const QDir base(root);
    // /usr/lib/os-release is where the system keeps it when /etc has no copy.
    for (const char* relative : {"etc/os-release", "usr/lib/os-release"}) {
        const QString text = readText(base.filePath(QLatin1String(relative)));
        if (text.isEmpty()) continue;
        const QString version = paddedVersionId(text);
        if (!version.isEmpty()) return version;
        break;
    }
    const QString kernel = readText(base.filePath(QStringLiteral("proc/sys/kernel/osrelease"))).trimmed();
    if (!kernel.isEmpty()) return kernel;
    return root == QLatin1String("/") ? QSysInfo::kernelVersion() : QString();
}

} // namespace vesk::machine
