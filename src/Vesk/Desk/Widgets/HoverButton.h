#pragma once

#include <QAbstractButton>

namespace vesk {

// A desk button that draws itself differently while the pointer is over it: it keeps
// that state and repaints when it changes.
class HoverButton : public QAbstractButton {
public:
    using QAbstractButton::QAbstractButton;

    bool isHovering() const { return m_hovering; }

protected:
    void enterEvent(QEnterEvent*) override { setHovering(true); }
    void leaveEvent(QEvent*) override { setHovering(false); }

private:
    void setHovering(bool hovering) {
        if (m_hovering == hovering) return;
        m_hovering = hovering;
        update();
    }

    bool m_hovering = false;
};

} // namespace vesk
