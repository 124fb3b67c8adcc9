#include "Vesk/Tray/TrayViewEnvironment.h"

#include "Vesk/Tray/TrayQuickLook.h"
#include "VeskPlatform/Pasteboard/Pasteboard.h"
#include "VeskPlatform/Workspace/FileManager.h"

#include <QMimeData>

namespace vesk {

void TrayViewEnvironment::showInFolder(const QString& path) const {
    if (reveal)
        reveal(path);
    else
        fileManager::reveal(path);
}

void TrayViewEnvironment::show(const QList<QUrl>& urls, int index) const {
    if (preview)
        preview(urls, index);
    else
        TrayQuickLook::shared().show(urls, index);
}

void TrayViewEnvironment::copy(const QUrl& file) const {
    if (!pasteboard) return;
    pasteboard->clearContents();
    auto* data = new QMimeData;
    data->setUrls({file});
    // GNOME's and other file managers paste files from this form.
    data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + file.toEncoded());
    pasteboard->setContents(data);
}

} // namespace vesk
