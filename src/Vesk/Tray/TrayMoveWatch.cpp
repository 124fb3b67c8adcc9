#include "Vesk/Tray/TrayMoveWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSet>
#include <QTimer>

namespace vesk {

namespace {

bool exists(const TrayItem& item) {
    const QFileInfo info(item.storedPath);
    return info.exists() || info.isSymLink();
}

} // namespace

TrayMoveWatch::TrayMoveWatch(const QList<TrayItem>& dragged,
                             std::function<void(const QList<TrayItem>&)> onGone, QObject* parent)
    : QObject(parent), m_onGone(std::move(onGone)), m_watched(dragged) {
    QSet<QString> folders;
    for (const TrayItem& item : dragged)
        folders.insert(QFileInfo(item.storedPath).absolutePath());
    m_watcher = new QFileSystemWatcher(this);
    m_watcher->addPaths(QStringList(folders.begin(), folders.end()));
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &TrayMoveWatch::look);
    QTimer::singleShot(int(seconds * 1000), this, [this] {
        m_watched.clear();
        deleteLater();
    });
    look();
}

void TrayMoveWatch::look() {
    QList<TrayItem> gone;
    for (auto it = m_watched.begin(); it != m_watched.end();) {
        if (exists(*it)) {
            ++it;
            continue;
        }
        gone.append(*it);
        it = m_watched.erase(it);
    }
    if (!gone.isEmpty()) deliver(gone);
    if (m_watched.isEmpty()) {
        m_watcher->disconnect(this);
        deleteLater();
    }
}

void TrayMoveWatch::deliver(const QList<TrayItem>& gone) {
    // Removing items rebuilds the tray's row: never inside the drag's call or a signal.
    // Queued on the parent, so a watch ending now still delivers.
    QObject* target = parent() ? parent() : this;
    QMetaObject::invokeMethod(
        target,
        [onGone = m_onGone, gone] {
            if (onGone) onGone(gone);
        },
        Qt::QueuedConnection);
}

} // namespace vesk
