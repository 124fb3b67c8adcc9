#include "VeskMediaAdapter/PlayerChoice.h"

#include "VeskKit/Foundation/Files.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace vesk::adapter {

QString playerChoicePath() {
    return files::userTemporaryFolder() + QStringLiteral("/vesk-media-adapter.player");
}

void savePlayerChoice(const QString& busName) {
    files::writeAtomically(playerChoicePath(), busName.toUtf8());
}

QString loadPlayerChoice() {
    const QFileInfo info(playerChoicePath());
    // The fallback temporary folder is shared: only our own file counts.
    if (!info.isFile() || info.isSymLink() || info.ownerId() != ::getuid()) return {};
    QFile file(info.filePath());
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(file.read(256)).trimmed();
}

} // namespace vesk::adapter
