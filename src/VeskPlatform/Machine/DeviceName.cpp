#include "VeskPlatform/Machine/DeviceName.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

namespace vesk::machine {

namespace {

// The file is a few lines; anything larger is not what it should be.
constexpr qint64 machineInfoLimit = 64 * 1024;

// The value of KEY=value in an environment-like file: quotes removed, backslash
// escapes resolved.
QString prettyHostname(const QByteArray& contents) {
    for (const QByteArray& rawLine : contents.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (!line.startsWith("PRETTY_HOSTNAME=")) continue;
        const QString value = QString::fromUtf8(line.mid(16));
        QString text;
        QChar quote;
        for (qsizetype i = 0; i < value.size(); ++i) {
            const QChar c = value.at(i);
            if (quote.isNull() && (c == u'"' || c == u'\'')) {
                quote = c;
            } else if (c == quote) {
                quote = QChar();
            } else if (c == u'\\' && i + 1 < value.size()) {
                text += value.at(++i);
            } else {
                text += c;
            }
        }
        return text.trimmed();
    }
    return {};
}

} // namespace

QString deviceName(const QString& root, const QString& hostName) {
    QFile info(QDir(root).filePath(QStringLiteral("etc/machine-info")));
    if (info.open(QIODevice::ReadOnly)) {
        const QString pretty = prettyHostname(info.read(machineInfoLimit));
        if (!pretty.isEmpty()) return pretty;
    }
    const QString host = hostName.isEmpty() ? QSysInfo::machineHostName() : hostName;
    return host.isEmpty() ? QStringLiteral("Mac") : host;
}

} // namespace vesk::machine
