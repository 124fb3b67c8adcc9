#include "VeskPlatform/Thumbnails/DesktopThumbnailer.h"

#include "VeskPlatform/Workspace/ChildEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

namespace vesk {

namespace {

QImage fitted(QImage image, int pixels) {
    if (image.width() > pixels || image.height() > pixels)
        image = image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

// The keys of the "[Thumbnailer Entry]" group; the format is a desktop entry.
DesktopThumbnailer::Entry parseEntry(const QString& path) {
    DesktopThumbnailer::Entry entry;
    entry.name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return entry;
    QTextStream in(&file);
    bool inGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Thumbnailer Entry]");
            continue;
        }
        if (!inGroup) continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) continue;
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1).trimmed();
        if (key == QLatin1String("TryExec"))
            entry.tryExec = value;
        else if (key == QLatin1String("Exec"))
            entry.exec = value;
        else if (key == QLatin1String("MimeType"))
            entry.mimeTypes = value.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return entry;
}

bool runnable(const DesktopThumbnailer::Entry& entry) {
    if (entry.exec.isEmpty() || entry.mimeTypes.isEmpty()) return false;
    if (entry.tryExec.isEmpty()) return true;
    return !QStandardPaths::findExecutable(entry.tryExec).isEmpty() ||
           (QFileInfo(entry.tryExec).isAbsolute() && QFileInfo(entry.tryExec).isExecutable());
}

} // namespace

DesktopThumbnailer::DesktopThumbnailer(QStringList dataFolders, int timeoutMs)
    : m_dataFolders(std::move(dataFolders)), m_timeoutMs(timeoutMs) {
    if (m_dataFolders.isEmpty())
        m_dataFolders = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
}

void DesktopThumbnailer::loadEntries() {
    std::call_once(m_loaded, [this] {
        QSet<QString> seen;
        for (const QString& folder : m_dataFolders) {
            const QDir dir(QDir(folder).filePath(QStringLiteral("thumbnailers")));
            const QStringList names =
                dir.entryList({QStringLiteral("*.thumbnailer")}, QDir::Files | QDir::Readable, QDir::Name);
            for (const QString& name : names) {
                if (seen.contains(name)) continue;
                seen.insert(name);
                m_entries.append(parseEntry(dir.filePath(name)));
            }
        }
    });
}

QList<DesktopThumbnailer::Entry> DesktopThumbnailer::entries() {
    loadEntries();
    return m_entries;
}

std::optional<QImage> DesktopThumbnailer::thumbnail(const QString& path, int pixels) {
    if (pixels <= 0 || !QFileInfo(path).isFile()) return std::nullopt;

    loadEntries();
    const QMimeDatabase db;
    const QMimeType type = db.mimeTypeForFile(path);
    QStringList names{type.name()};
    names += type.aliases();
    for (const QString& ancestor : type.allAncestors())
        if (ancestor != QLatin1String("application/octet-stream")) names.append(ancestor);
    for (const QString& name : names) {
        for (const Entry& entry : m_entries) {
            if (!entry.mimeTypes.contains(name) || !runnable(entry)) continue;
            return runThumbnailer(entry, path, pixels);
        }
    }
    return std::nullopt;
}

std::optional<QImage> DesktopThumbnailer::runThumbnailer(const Entry& entry, const QString& path,
                                                         int pixels) const {
    QTemporaryDir scratch;
    if (!scratch.isValid()) return std::nullopt;
    const QString output = scratch.filePath(QStringLiteral("thumbnail.png"));
    const QStringList args = expandExec(entry.exec, path, output, pixels);
    if (args.isEmpty()) return std::nullopt;

    QProcess process;
    process.setProgram(args.first());
    process.setArguments(args.mid(1));
    process.setProcessEnvironment(childEnvironment::forChildren());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start();
    if (!process.waitForStarted(m_timeoutMs)) return std::nullopt;
    if (!process.waitForFinished(m_timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return std::nullopt;
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
    // Thumbnailers write PNG; read as nothing else, so no other decoder is tried on it.
    QImageReader reader(output, "png");
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    if (image.isNull()) return std::nullopt;
    return fitted(std::move(image), pixels);
}

QStringList DesktopThumbnailer::expandExec(const QString& exec, const QString& input, const QString& output,
                                           int pixels) {
    QStringList args;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    bool hadQuotes = false;
    // An argument that was only a field code expanding to nothing is left out.
    auto finish = [&] {
        if (inArgument && (!current.isEmpty() || hadQuotes)) args.append(current);
        current.clear();
        inArgument = false;
        hadQuotes = false;
    };
    // Quotes group and escape; field codes are expanded inside them too.
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (!quoted && (c == QLatin1Char(' ') || c == QLatin1Char('\t'))) {
            finish();
            continue;
        }
        inArgument = true;
        if (c == QLatin1Char('"')) {
            quoted = !quoted;
            hadQuotes = true;
        } else if (quoted && c == QLatin1Char('\\') && i + 1 < exec.size()) {
            current += exec.at(++i);
        } else if (c == QLatin1Char('%') && i + 1 < exec.size()) {
            const QChar code = exec.at(++i);
            if (code == QLatin1Char('i'))
                current += input;
            else if (code == QLatin1Char('u'))
                current += QUrl::fromLocalFile(input).toString(QUrl::FullyEncoded);
            else if (code == QLatin1Char('o'))
                current += output;
            else if (code == QLatin1Char('s'))
                current += QString::number(pixels);
            else if (code == QLatin1Char('%'))
                current += QLatin1Char('%');
            // Other field codes expand to nothing.
        } else {
            current += c;
        }
    }
    if (quoted) return {};
    finish();
    return args;
}

} // namespace vesk
