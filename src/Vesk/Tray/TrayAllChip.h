#pragma once

#include "Vesk/Tray/TrayViewEnvironment.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskUI/Motion/MotionAnimator.h"

#include <QWidget>

#include <functional>

namespace vesk {

class TrayDragHandle;

// The chip that stands for every item: up to three fanned cards under a stack symbol,
// "All N" below. A click previews every item from the newest, a drag takes them all out.
class TrayAllChip final : public QWidget {
    Q_OBJECT

public:
    static constexpr double pictureWidth = 72;
    static constexpr double pictureHeight = 70;
    static constexpr double cardSide = 62;

    TrayAllChip(const QList<TrayItem>& items, bool copyByDefault,
                std::function<void(const QList<TrayItem>&)> onRemove, const TrayViewEnvironment& environment,
                QWidget* parent = nullptr);

    void setItems(const QList<TrayItem>& items);
    void setCopyByDefault(bool copyByDefault);
    void setHovering(bool hovering);
    bool isHovering() const { return m_hovering; }
    // The cards drawn: their rotations in degrees, back to front.
    QList<double> cardAngles() const;
    QRectF pictureRect() const;
    TrayDragHandle* dragHandle() const { return m_handle; }
    void preview();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QList<TrayItem> m_items;
    const TrayViewEnvironment& m_environment;
    bool m_hovering = false;
    MotionAnimator m_hover;
    TrayDragHandle* m_handle;
};

} // namespace vesk
