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

    // Judges hover again from where the pointer is now: it may have left unseen, when Qt
    // told its leaving to the window alone because the widget that last had it was gone.
    virtual void judgePointer() {}
    // A popup opened from the notch holds the pointer until it closes, and meanwhile the
    // notch sees the pointer neither leave nor come back: hover is judged again once the
    // popup has closed (after its Hide, from the event loop).
    virtual void watchPopup(QWidget* popup) { Q_UNUSED(popup) }
    // The same for a popup opened from a widget inside a notch; nothing for any other.
    static void watchPopupFrom(QWidget* opener, QWidget* popup) {
        for (QWidget* widget = opener; widget; widget = widget->parentWidget())
            if (auto* surface = qobject_cast<NotchSurfaceView*>(widget)) return surface->watchPopup(popup);
    }

Q_SIGNALS:
    // The outline moved or changed size.
    void surfaceChanged();
};

} // namespace vesk
