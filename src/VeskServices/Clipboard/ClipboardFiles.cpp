#include "VeskServices/Clipboard/ClipboardFiles.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskServices/Storage/JsonListFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>

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

Loaded load(const QString& storeURL, const QString& mediaDirectory, bool sweep) {
    files::restrictToOwner(QFileInfo(storeURL).absolutePath());
    files::restrictToOwner(mediaDirectory);
    files::restrictToOwner(storeURL);
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
        if (clip.kind == Clip::Kind::image) {
            named.insert(QFileInfo(*clip.storedPath).fileName());
            files::restrictToOwner(*clip.storedPath);
        }
        loaded.clips.append(clip);
    }
    // A damaged history may have named more images than could be read: keep them all.
    // Another running copy may list images this file does not name.
    if (read.damaged || !sweep) return loaded;
    const QDir folder(mediaDirectory);
    for (const QFileInfo& info : folder.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (!isNamedLikeOurs(info.fileName()) || named.contains(info.fileName())) continue;
        if (isOwnImage(info.filePath(), mediaDirectory)) QFile::remove(info.filePath());
    }
    return loaded;
}

bool replaces(const Clip& newer, const Clip& older, const QStringList& samePicture) {
    if (newer.kind != older.kind) return false;
    if (newer.kind != Clip::Kind::image) return newer.text == older.text;
    return older.storedPath &&
           (older.storedPath == newer.storedPath || samePicture.contains(*older.storedPath));
}

QStringList samePicture(const QString& path, const QStringList& candidates) {
    QStringList same;
    const qint64 size = QFileInfo(path).size();
    QByteArray bytes;
    for (const QString& candidate : candidates) {
        if (candidate == path || QFileInfo(candidate).size() != size) continue;
        if (bytes.isEmpty()) {
            const files::FileRead read = files::readRegularFile(path, size);
            if (!read.ok()) return same;
            bytes = read.bytes;
        }
        const files::FileRead other = files::readRegularFile(candidate, size);
        if (other.ok() && other.bytes == bytes) same << candidate;
    }
    return same;
}

QList<Clip> tidy(QList<Clip> clips, int maxItems, QStringList& doomed) {
    std::stable_sort(clips.begin(), clips.end(),
                     [](const Clip& a, const Clip& b) { return a.copiedAt > b.copiedAt; });
    QList<Clip> kept;
    for (const Clip& clip : std::as_const(clips)) {
        const bool repeated = std::any_of(kept.cbegin(), kept.cend(),
                                          [&](const Clip& newer) { return replaces(newer, clip, {}); });
        if (repeated || kept.size() >= qsizetype(std::max(maxItems, 0))) {
            if (clip.kind == Clip::Kind::image && clip.storedPath) doomed.append(*clip.storedPath);
            continue;
        }
        kept.append(clip);
    }
    return kept;
}

Encoded encode(const QList<Clip>& clips, qint64 maxBytes) {
    Encoded encoded;
    encoded.bytes = "[";
    for (const Clip& clip : clips) {
        const QByteArray entry = QJsonDocument(clip.toJson()).toJson(QJsonDocument::Compact);
        const qint64 separator = encoded.count > 0 ? 1 : 0;
        // With the closing bracket.
        if (encoded.bytes.size() + separator + entry.size() + 1 > maxBytes) break;
        if (encoded.count > 0) encoded.bytes += ',';
        encoded.bytes += entry;
        ++encoded.count;
    }
    encoded.bytes += ']';
    return encoded;
}

} // namespace vesk::clipboard_files
