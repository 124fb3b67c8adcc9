#pragma once

#include <QPainterPath>
#include <QWidget>

namespace vesk {

// The content of a notch hosting view: a widget that fills the panel and draws one
// outline somewhere in it. The hosting view takes pointer input only inside that
// outline and, without a compositor, clips the window to it.
class NotchSurfaceView : public QWidget {
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The outline drawn now (mid-animation included), in the view's coordinates;
    // empty while nothing is visible.
    virtual QPainterPath surfacePath() const = 0;

Q_SIGNALS:
    // The outline moved or changed size.
    void surfaceChanged();
};

} // namespace vesk
