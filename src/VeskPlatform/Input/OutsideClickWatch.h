#pragma once

#include <QObject>
#include <QPointF>

#include <memory>

namespace vesk {

// Reports left and right clicks that land outside every window of this program: in
// another program's window or on the desktop. Clicks on our own windows (the notch where
// it takes clicks, menus, dialogs) are not reported; those windows handle them. Main
// thread only.
class OutsideClickWatch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Whether clicks elsewhere can be seen on this desktop.
    virtual bool isWatching() const = 0;

    // X11 through Qt's connection; elsewhere one that sees nothing.
    static std::unique_ptr<OutsideClickWatch> create(QObject* parent = nullptr);

Q_SIGNALS:
    void clickedElsewhere(QPointF position);
};

} // namespace vesk
