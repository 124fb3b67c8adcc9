#pragma once

#include "VeskServices/Tray/TrayItem.h"

#include <QList>
#include <QObject>

#include <functional>

class QFileSystemWatcher;

namespace vesk {

// What follows a drag out of the tray that ended as a move. On X11 the drag returns
// before the target has taken the files, and a file manager moving across filesystems
// deletes a source only after copying it: so the items whose files are gone are reported
// at once, the rest each as its file leaves within the next minute. It lives apart from
// the chip that started the drag (a removal rebuilds the row and may drop that chip),
// and ends itself when every file left or the minute is over.
class TrayMoveWatch final : public QObject {
    Q_OBJECT

public:
    static constexpr double seconds = 60;

    // `onGone` is called on the main thread, never inside this call nor inside the
    // watcher's signal, with the items whose stored file or folder is gone.
    TrayMoveWatch(const QList<TrayItem>& dragged, std::function<void(const QList<TrayItem>&)> onGone,
                  QObject* parent);

    const QList<TrayItem>& watched() const { return m_watched; }

private:
    void look();
    void deliver(const QList<TrayItem>& gone);

    std::function<void(const QList<TrayItem>&)> m_onGone;
    QList<TrayItem> m_watched;
    QFileSystemWatcher* m_watcher = nullptr;
};

} // namespace vesk
