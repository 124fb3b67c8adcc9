#pragma once

#include <QObject>
#include <QPointF>

#include <memory>

namespace vesk {

// What the notch learns of drags anywhere on the desktop, so it can get ready for a drop
// before the drag reaches it. Main thread only.
class DragWatch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // The drag pasteboard's change count: grows by one whenever a drag starts, in any
    // program (this one included), and never goes back.
    virtual qint64 changeCount() const = 0;
    // Whether the left mouse button is held now.
    virtual bool isLeftButtonDown() const = 0;

    // The drag monitors: while they run, leftMouseDragged and leftMouseUp report the
    // left button's drags that began outside this program's windows. Returns how many of
    // the two monitors could be installed (0 where the desktop cannot report them).
    virtual int startMonitors() = 0;
    virtual void stopMonitors() = 0;

    // The desktop's: X11 through Qt's connection; elsewhere one that never sees a drag
    // (then only drags that reach a notch window are seen).
    static std::unique_ptr<DragWatch> create(QObject* parent = nullptr);

Q_SIGNALS:
    // The left button moved while held, at this global position.
    void leftMouseDragged(QPointF position);
    void leftMouseUp();
};

} // namespace vesk
