#pragma once

#include "VeskKit/Pipeline/DropLane.h"

#include <QList>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

namespace vesk {

class MotionAnimator;

// The enlarged notch split into one lane per place the dragged files can go, the lane
// under the pointer raised and lit, and the number of files along the bottom. It only
// draws: the window controller decides the lanes and the hovered one.
class DropLanesView : public QWidget {
    Q_OBJECT

public:
    static constexpr double cellPadding = 3;
    static constexpr double cornerRadius = 11;
    static constexpr double hoveredScale = 1.06;
    static constexpr double contentSpacing = 5;
    static constexpr double countFontSize = 8;
    static constexpr double countBottomPadding = 2;
    // A lane name may shrink to this share of its size before it is cut.
    static constexpr double minimumTextScale = 0.75;

    DropLanesView(const QList<DropLane>& lanes, std::optional<int> hovered, int fileCount,
                  QWidget* parent = nullptr);
    ~DropLanesView() override;

    const QList<DropLane>& lanes() const { return m_lanes; }
    void setLanes(const QList<DropLane>& lanes);
    std::optional<int> hovered() const { return m_hovered; }
    // Raises the new lane and lowers the old one with the hover spring.
    void setHovered(std::optional<int> hovered);
    int fileCount() const { return m_fileCount; }
    void setFileCount(int count);

    // "1 file", else the count and " files".
    static QString fileCountText(int count);

    // The lane's cell with its padding taken off, before any hover scaling.
    QRectF cellRect(int index) const;
    // How much a lane is scaled now (1 at rest, 1.06 hovered, in between while moving).
    double scale(int index) const;
    // The font a lane's name is drawn in, shrunk to fit its cell where needed.
    QFont nameFont(int index) const;
    QString shownName(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool isHovered(int index) const { return m_hovered == index; }
    void rebuildScales();

    QList<DropLane> m_lanes;
    std::optional<int> m_hovered;
    int m_fileCount;
    std::vector<std::unique_ptr<MotionAnimator>> m_scales;
};

} // namespace vesk
