#pragma once

#include <QScrollArea>

#include <functional>

class QVBoxLayout;

namespace vesk {

// The vertical list of a desk widget: no scroll indicators, no frame, a transparent
// ground, and every wheel event over it taken, also at its ends, so a scroll meant for
// the list never becomes the notch's swipe that closes the desk. The content (set with
// setWidget) keeps the list's width and grows downwards.
class DeskScrollList : public QScrollArea {
    Q_OBJECT

public:
    explicit DeskScrollList(QWidget* parent = nullptr);

    // setWidget, keeping the content's ground transparent (setWidget fills it).
    void setContent(QWidget* content);

    // A list of rows `spacing` apart, top-aligned: `fill` adds the rows to the column's
    // layout (parenting them to `column`).
    static DeskScrollList* ofRows(int spacing,
                                  const std::function<void(QWidget* column, QVBoxLayout* rows)>& fill);

protected:
    void wheelEvent(QWheelEvent* event) override;
};

} // namespace vesk
