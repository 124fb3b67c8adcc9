#pragma once

#include <QWidget>

namespace vesk {

// The dashed box at the end of the tray's row that invites more drops; the drops
// themselves are the notch's.
class MoreDropZone final : public QWidget {
    Q_OBJECT

public:
    static constexpr double minimumWidth_ = 130;
    static constexpr double height_ = 68;

    explicit MoreDropZone(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A dashed outline (5 on, 4 off) drawn inside `rect`.
void paintDashedBox(QPainter& painter, const QRectF& rect, double radius, const QColor& colour);

} // namespace vesk
