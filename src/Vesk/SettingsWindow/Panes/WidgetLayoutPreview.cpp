#include "Vesk/SettingsWindow/Panes/WidgetLayoutPreview.h"

#include "Vesk/Controls/SettingBinding.h"
#include "Vesk/Controls/TextView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskKit/Widgets/WidgetLayoutEngine.h"
#include "VeskUI/Notch/NotchShape.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace vesk {

namespace {

// The black stage with its tiles; the preview draws it and takes its clicks.
class Stage final : public QWidget {
public:
    explicit Stage(WidgetLayoutPreview* preview) : QWidget(preview), m_preview(preview) {
        setFixedHeight(int(WidgetLayoutPreview::stageHeight));
        setCursor(Qt::PointingHandCursor);
    }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    WidgetLayoutPreview* m_preview;
};

} // namespace

WidgetLayoutPreview::WidgetLayoutPreview(SettingsStore& settings, QWidget* parent)
    : QWidget(parent), m_settings(settings), m_stage(new Stage(this)),
      m_notice(new TextView(QString(), Vesk::Type_::settingsFootnote(), Vesk::Semantic::amber, this)) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    column->addWidget(
        new TextView(QStringLiteral("Preview"), Vesk::Type_::settingsSection(), Vesk::Stone::x400));
    column->addWidget(m_stage);
    m_notice->setWrapping(true);
    // The notice: a warning triangle before the text, in amber.
    m_noticeRow = new QWidget(this);
    auto* notice = new QHBoxLayout(m_noticeRow);
    notice->setContentsMargins(0, 0, 0, 0);
    notice->setSpacing(6);
    auto* triangle = new QLabel(m_noticeRow);
    const double side = Symbols::sideForFontSize(11);
    triangle->setPixmap(QPixmap::fromImage(
        Symbols::image(u"exclamationmark.triangle", side, Vesk::Semantic::amber, devicePixelRatioF())));
    notice->addWidget(triangle, 0, Qt::AlignTop);
    notice->addWidget(m_notice, 1);
    column->addWidget(m_noticeRow);
    followSettings(this, settings, [this] { refresh(); });
}

double WidgetLayoutPreview::availableWidth(const QScreen* screen) {
    return screen ? screen->geometry().width() - 80.0 : 1360.0;
}

DeskLayout WidgetLayoutPreview::layoutFor(const SettingsStore& settings, double available) {
    const WidgetLayoutEngine engine{
        .cellWidth = 54, .gap = 22, .contentPadding = settings.contentPadding(), .maxWidth = 1100};
    return engine.layout(settings.widgetOrder(), settings.enabledWidgets(), settings.widgetCells(),
                         available);
}

double WidgetLayoutPreview::scaleFor(double totalWidth) {
    return totalWidth > 0 ? std::min(scaledMaximum / totalWidth, 1.0) : 1.0;
}

QString WidgetLayoutPreview::overflowText(const QList<WidgetID>& overflow) {
    if (overflow.isEmpty()) return {};
    QStringList names;
    for (WidgetID id : overflow)
        names << displayName(id);
    return names.join(QStringLiteral(", ")) +
           (overflow.size() == 1 ? QStringLiteral(" doesn't") : QStringLiteral(" don't")) +
           QStringLiteral(" fit and won't be shown.");
}

void WidgetLayoutPreview::refresh() {
    m_layout = layoutFor(m_settings, availableWidth(screen()));
    const QString text = overflowText(m_layout.overflow);
    m_notice->setText(text);
    m_noticeRow->setVisible(!text.isEmpty());
    m_stage->update();
}

void WidgetLayoutPreview::setSelected(WidgetID id) {
    if (id == m_selected) return;
    m_selected = id;
    m_stage->update();
}

QRectF WidgetLayoutPreview::stageRect() const {
    return QRectF(m_stage->geometry());
}

QList<double> WidgetLayoutPreview::tileWidths(const DeskLayout& layout) {
    const double scale = scaleFor(layout.totalWidth);
    QList<double> widths;
    for (const WidgetPlacement& placement : layout.placements)
        widths << std::max(placement.width * scale, minimumTileWidth);
    return widths;
}

QList<QRectF> WidgetLayoutPreview::tileRects() const {
    const QList<double> widths = tileWidths(m_layout);
    double total = tileSpacing * std::max<qsizetype>(0, widths.size() - 1);
    for (double width : widths)
        total += width;
    QList<QRectF> rects;
    double x = (m_stage->width() - total) / 2;
    for (double width : widths) {
        rects << QRectF(x, tileTop, width, tileHeight);
        x += width + tileSpacing;
    }
    return rects;
}

namespace {

void Stage::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath stage;
    stage.addRoundedRect(QRectF(rect()), 10, 10);
    painter.fillPath(stage, Qt::black);

    const DeskLayout& layout = m_preview->layout();
    if (layout.placements.isEmpty()) {
        painter.setFont(systemFont(10));
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("No widgets enabled"));
    } else {
        const QList<QRectF> tiles = m_preview->tileRects();
        const QFont nameFont = systemFont(8, QFont::Medium);
        const QFontMetricsF metrics(nameFont);
        const double symbol = Symbols::sideForFontSize(11);
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            const WidgetID id = layout.placements[i].id;
            const bool selected = id == m_preview->selected();
            const QRectF tile = tiles[i];
            QPainterPath shape;
            shape.addRoundedRect(tile, 6, 6);
            painter.fillPath(shape, Vesk::Ink::x850);
            const QColor colour = selected ? Vesk::Accent::x500 : Vesk::Stone::x300;
            if (selected) {
                QColor border = Vesk::Accent::x500;
                border.setAlphaF(0.7f);
                painter.strokePath(shape, QPen(border, 1));
            }
            const double contentHeight = symbol + 3 + metrics.height();
            const double top = tile.center().y() - contentHeight / 2;
            Symbols::paint(painter, QRectF(tile.center().x() - symbol / 2, top, symbol, symbol),
                           vesk::symbol(id), colour);
            painter.setFont(nameFont);
            painter.setPen(colour);
            painter.drawText(QRectF(tile.left() + 2, top + symbol + 3, tile.width() - 4, metrics.height()),
                             Qt::AlignHCenter | Qt::AlignTop,
                             metrics.elidedText(displayName(id), Qt::ElideRight, tile.width() - 4));
        }
    }
    const QRectF notch((width() - 74) / 2.0, 0, 74, 13);
    painter.fillPath(NotchShape{3, 7}.path(notch), Vesk::Ink::x1000);
}

void Stage::mousePressEvent(QMouseEvent* event) {
    const QList<QRectF> tiles = m_preview->tileRects();
    for (qsizetype i = 0; i < tiles.size(); ++i) {
        if (!tiles[i].contains(event->position())) continue;
        if (m_preview->onSelect) m_preview->onSelect(m_preview->layout().placements[i].id);
        return;
    }
}

} // namespace

} // namespace vesk
