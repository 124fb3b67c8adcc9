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

// The value of `key` in an os-release text; empty when it is missing.
QString field(const QString& osRelease, QLatin1String key) {
    QString value;
    for (const QString& line : osRelease.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(key) && trimmed.mid(key.size()).startsWith(QLatin1Char('=')))
            value = unquoted(trimmed.mid(key.size() + 1));
    }
    return value;
}

// The first os-release copy that exists: /usr/lib holds it when /etc has none.
QString osRelease(const QString& root) {
    const QDir base(root);
    for (const char* relative : {"etc/os-release", "usr/lib/os-release"}) {
        const QString text = readText(base.filePath(QLatin1String(relative)));
        if (!text.isEmpty()) return text;
    }
    return {};
}

} // namespace

QString osName(const QString& root) {
    const QString text = osRelease(root);
    const QString pretty = field(text, QLatin1String("PRETTY_NAME"));
    if (!pretty.isEmpty()) return pretty;
    const QString name = field(text, QLatin1String("NAME"));
    const QString version = field(text, QLatin1String("VERSION_ID"));
    if (!name.isEmpty()) return version.isEmpty() ? name : name + QLatin1Char(' ') + version;
    return QStringLiteral("Linux ") + osVersion(root);
}

QString paddedVersionId(const QString& osRelease) {
    const QString versionId = field(osRelease, QLatin1String("VERSION_ID"));
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
    const QString version = paddedVersionId(osRelease(root));
    if (!version.isEmpty()) return version;
    const QString kernel = readText(base.filePath(QStringLiteral("proc/sys/kernel/osrelease"))).trimmed();
    if (!kernel.isEmpty()) return kernel;
    return root == QLatin1String("/") ? QSysInfo::kernelVersion() : QString();
}

} // namespace vesk::machine
