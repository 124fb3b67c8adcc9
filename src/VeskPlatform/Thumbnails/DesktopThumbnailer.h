#pragma once

#include "VeskPlatform/Thumbnails/ThumbnailGenerator.h"

#include <QList>
#include <QStringList>

#include <mutex>

namespace vesk {

// Previews the way Linux desktops do: a file goes to the thumbnailer program that a
// "*.thumbnailer" entry in a "thumbnailers" data folder names for its MIME type (or an
// ancestor). Nothing is decoded in this process but the program's PNG.
class DesktopThumbnailer final : public ThumbnailGenerator {
public:
    // `dataFolders` are searched in order for "thumbnailers/"; empty means the XDG data
    // folders. A thumbnailer running longer than `timeoutMs` is killed.
    explicit DesktopThumbnailer(QStringList dataFolders = {}, int timeoutMs = 10000);

    std::optional<QImage> thumbnail(const QString& path, int pixels) override;

    struct Entry {
        QString name;
        QString tryExec;
        QString exec;
        QStringList mimeTypes;
    };
    // The entries found, first folder first; a later file with the same name is hidden.
    QList<Entry> entries();

    // Splits an Exec line into arguments with the field codes replaced (%i path, %u URI,
    // %o output, %s size, %% percent); empty when the line is malformed.
    static QStringList expandExec(const QString& exec, const QString& input, const QString& output,
                                  int pixels);

private:
    void loadEntries();
    std::optional<QImage> runThumbnailer(const Entry& entry, const QString& path, int pixels) const;

    QStringList m_dataFolders;
    int m_timeoutMs;
    std::once_flag m_loaded;
    QList<Entry> m_entries;
};

} // namespace vesk
