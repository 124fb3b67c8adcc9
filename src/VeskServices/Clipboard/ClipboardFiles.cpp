#include "VeskServices/Clipboard/ClipboardFiles.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Storage/JsonListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace vesk::clipboard_files {

namespace {

bool isNamedLikeOurs(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\.png$"));
    return pattern.match(name).hasMatch();
}

} // namespace

bool isOwnImage(const QString& path, const QString& mediaDirectory) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile()) return false;
    return QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(mediaDirectory);
}

void deleteOwnImages(const QStringList& paths, const QString& mediaDirectory) {
    for (const QString& path : paths)
        if (isOwnImage(path, mediaDirectory)) QFile::remove(path);
}

Loaded load(const QString& storeURL, const QString& mediaDirectory) {
    json_list::Loaded<Clip> read = json_list::read<Clip>(storeURL, &Clip::fromJson);
    Loaded loaded;
    if (read.damaged) {
        const std::optional<QString> aside = files::keepAside(storeURL);
        loaded.keptAside = aside.has_value();
        TraceLog::trace(QStringLiteral("clipboard: unreadable history kept aside as ") +
                        aside.value_or(QStringLiteral("(failed)")));
    }
    QSet<QString> named;
    for (const Clip& clip : read.items) {
        if (clip.kind == Clip::Kind::image &&
            !(clip.storedPath && isOwnImage(*clip.storedPath, mediaDirectory)))
            continue;
        if (clip.kind == Clip::Kind::image) named.insert(QFileInfo(*clip.storedPath).fileName());
        loaded.clips.append(clip);
    }
    // A damaged history may have named more images than could be read: keep them all.
    if (read.damaged) return loaded;
    const QDir folder(mediaDirectory);
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!isNamedLikeOurs(info.fileName()) || named.contains(info.fileName())) continue;
        if (isOwnImage(info.filePath(), mediaDirectory)) QFile::remove(info.filePath());
    }
    return loaded;
}

QByteArray encode(const QList<Clip>& clips) {
    return json_list::encode(clips, [](const Clip& clip) { return clip.toJson(); });
}

} // namespace vesk::clipboard_files
