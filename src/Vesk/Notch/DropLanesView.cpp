#include "Vesk/Notch/DropLanesView.h"

#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vesk {

namespace {

// What differs between the shelf and AirDrop lanes and the pipeline lanes.
struct LaneStyle {
    double symbolFrame;
    double nameSize;
    QFont::Weight nameWeight;
    double horizontalPadding;
    QColor restingColour;
};

LaneStyle styleOf(const DropLane& lane) {
    if (lane.isPrimary()) return {22, 11, QFont::DemiBold, 10, Vesk::Stone::x100};
    return {18, 9, QFont::Medium, 5, Vesk::Stone::x300};
}

} // namespace

DropLanesView::DropLanesView(const QList<DropLane>& lanes, std::optional<int> hovered, int fileCount,
                             QWidget* parent)
    : QWidget(parent), m_lanes(lanes), m_hovered(hovered), m_fileCount(fileCount) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    rebuildScales();
}

DropLanesView::~DropLanesView() = default;

QString DropLanesView::fileCountText(int count) {
    if (count == 1) return QStringLiteral("1 file");
    return QString::number(count) + QStringLiteral(" files");
}

void DropLanesView::rebuildScales() {
    m_scales.clear();
    for (int i = 0; i < m_lanes.size(); ++i) {
        auto animator = std::make_unique<MotionAnimator>(QVariant(isHovered(i) ? hoveredScale : 1.0));
        connect(animator.get(), &MotionAnimator::valueChanged, this, qOverload<>(&QWidget::update));
        m_scales.push_back(std::move(animator));
    }
}

void DropLanesView::setLanes(const QList<DropLane>& lanes) {
    if (lanes == m_lanes) return;
    m_lanes = lanes;
    rebuildScales();
    update();
}

void DropLanesView::setHovered(std::optional<int> hovered) {
    if (hovered == m_hovered) return;
    m_hovered = hovered;
    for (int i = 0; i < int(m_scales.size()); ++i)
        m_scales[size_t(i)]->animateTo(isHovered(i) ? hoveredScale : 1.0, Vesk::Motion::hover);
    update();
}

void DropLanesView::setFileCount(int count) {
    if (count == m_fileCount) return;
    m_fileCount = count;
    update();
}

QRectF DropLanesView::cellRect(int index) const {
    if (index < 0 || index >= m_lanes.size()) return {};
    const double share = width() / double(m_lanes.size());
    return QRectF(index * share, 0, share, height())
        .adjusted(cellPadding, cellPadding, -cellPadding, -cellPadding);
}

double DropLanesView::scale(int index) const {
    if (index < 0 || index >= int(m_scales.size())) return 1;
    return m_scales[size_t(index)]->valueAs<double>();
}

QFont DropLanesView::nameFont(int index) const {
    const LaneStyle style = styleOf(m_lanes[index]);
    const double available = cellRect(index).width() - 2 * style.horizontalPadding;
    const QString name = m_lanes[index].displayName();
    QFont font = systemFont(style.nameSize, style.nameWeight);
    const double natural = QFontMetricsF(font).horizontalAdvance(name);
    if (natural > available && natural > 0) {
        // Whole pixel sizes: the largest that fits, but never under three quarters.
        const int smallest = int(std::ceil(style.nameSize * minimumTextScale));
        const int fitting = int(std::floor(style.nameSize * available / natural));
        font.setPixelSize(std::max(smallest, fitting));
    }
    return font;
}

QString DropLanesView::shownName(int index) const {
    const LaneStyle style = styleOf(m_lanes[index]);
    const double available = cellRect(index).width() - 2 * style.horizontalPadding;
    return QFontMetricsF(nameFont(index)).elidedText(m_lanes[index].displayName(), Qt::ElideRight, available);
}

void DropLanesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < m_lanes.size(); ++i) {
        const DropLane& lane = m_lanes[i];
        const LaneStyle style = styleOf(lane);
        const QRectF cell = cellRect(i);
        const bool hovered = isHovered(i);

        painter.save();
        const double s = scale(i);
        painter.translate(cell.center());
        painter.scale(s, s);
        painter.translate(-cell.center());

        if (hovered) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Vesk::Accent::x500);
            painter.drawRoundedRect(cell, cornerRadius, cornerRadius);
        } else if (lane.kind() == DropLane::Kind::airDrop) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(Vesk::Ink::x800);
            painter.drawRoundedRect(cell, cornerRadius, cornerRadius);
        } else if (lane.kind() == DropLane::Kind::shelf) {
            QColor dash = Vesk::Stone::x400;
            dash.setAlphaF(0.5);
            QPen pen(dash, 1.5, Qt::CustomDashLine, Qt::FlatCap, Qt::MiterJoin);
            pen.setDashPattern({6 / 1.5, 4 / 1.5}); // Qt counts dashes in pen widths
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            // Inside the rectangle: inset by half the line.
            painter.drawRoundedRect(cell.adjusted(0.75, 0.75, -0.75, -0.75), cornerRadius - 0.75,
                                    cornerRadius - 0.75);
        }

        const QColor content = hovered ? Vesk::Accent::on : style.restingColour;
        const QFont font = nameFont(i);
        const double textHeight = QFontMetricsF(font).height();
        const double column = style.symbolFrame + contentSpacing + textHeight;
        const double top = cell.center().y() - column / 2;
        const double side = style.symbolFrame;
        Symbols::paint(painter, QRectF(cell.center().x() - side / 2, top, side, side), lane.symbol(),
                       content);
        painter.setFont(font);
        painter.setPen(content);
        const QRectF text(cell.left() + style.horizontalPadding, top + side + contentSpacing,
                          cell.width() - 2 * style.horizontalPadding, textHeight);
        painter.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter, shownName(i));
        painter.restore();
    }

    const QFont countFont = systemFont(countFontSize, QFont::Medium);
    painter.setFont(countFont);
    painter.setPen(Vesk::Stone::x400);
    const double countHeight = QFontMetricsF(countFont).height();
    painter.drawText(QRectF(0, height() - countBottomPadding - countHeight, width(), countHeight),
                     Qt::AlignHCenter | Qt::AlignVCenter, fileCountText(m_fileCount));
}

} // namespace vesk
