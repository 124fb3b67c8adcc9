#pragma once

#include <QImage>
#include <QString>
#include <QStringList>

namespace vesk {

// Finds application icons as files of the icon themes and reads them into images,
// without Qt's icon loader and its caches (which belong to the main thread): safe on
// any thread. Made on the main thread, where the desktop's theme names are read.
class IconThemeFiles {
public:
    // The desktop's theme, its fallback and "hicolor", under Qt's theme search folders.
    IconThemeFiles();
    IconThemeFiles(QStringList searchFolders, QStringList themes, QStringList pixmapFolders);

    // The file of the icon `name` in the themes (their "apps" folders first), the nearest
    // size at or above `pixels` first, then a scalable one, then the largest below; else
    // one in the pixmap folders. Empty when there is none.
    QString find(const QString& name, int pixels) const;
    // The image in `file`, scaled to fit `pixels` square; null when it does not read.
    static QImage read(const QString& file, int pixels);

private:
    QStringList m_searchFolders;
    QStringList m_themes;
    QStringList m_pixmapFolders;
};

} // namespace vesk
