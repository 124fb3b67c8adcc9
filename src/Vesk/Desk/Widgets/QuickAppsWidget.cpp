#include "Vesk/Desk/Widgets/QuickAppsWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/HoverButton.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskUI/Imaging/GaussianBlur.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vesk {

namespace {

constexpr double dotSide = 4;
constexpr double stackSpacing = 3;
constexpr double tileHeight = QuickAppsWidget::iconSide + stackSpacing + dotSide;

// The shadow under a raised icon: black, blurred by a radius of 7 points, 3 points down.
constexpr double shadowOpacity = 0.45;
constexpr double shadowRadius = 7;
constexpr double shadowDrop = 3;
constexpr double hoverGrowth = 0.1;

// An application's icon that grows and casts a soft shadow while the pointer is over
// it. The shadow reaches past the tile, so the grid draws it (paintShadow) under the
// tiles.
class AppTile final : public HoverButton {
public:
    AppTile(const QuickApp& app, std::optional<QIcon> icon, bool missing, bool running,
            const DeskEnvironment& environment, QWidget* parent)
        : HoverButton(parent), m_icon(std::move(icon)), m_missing(missing), m_running(running),
          m_environment(environment), m_hover(new MotionAnimator(QVariant(0.0), this)) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(missing ? Qt::ArrowCursor : Qt::PointingHandCursor);
        setEnabled(!missing);
        setToolTip(missing ? app.name + QStringLiteral(" — not installed on this computer") : app.name);
        setAccessibleName(app.name);
        m_hover->setObjectName(QStringLiteral("hover"));
        connect(m_hover, &MotionAnimator::valueChanged, this, [this] {
            // The grid repaints the shadow's reach, and this tile with it.
            if (parentWidget()) parentWidget()->update(shadowReach().toAlignedRect());
        });
    }

    // The icon's square at its present size, in the tile's coordinates.
    QRectF iconRect() const {
        const double side = QuickAppsWidget::iconSide * (1 + hoverGrowth * m_hover->valueAs<double>());
        return QRectF(width() / 2.0 - side / 2, QuickAppsWidget::iconSide / 2.0 - side / 2, side, side);
    }

    void paintShadow(QPainter& p) {
        const double opacity = shadowOpacity * std::clamp(m_hover->valueAs<double>(), 0.0, 1.0);
        if (opacity <= 0) return;
        const double dpr = p.device()->devicePixelRatioF();
        if (m_shadow.isNull() || m_shadowRatio != dpr) makeShadow(dpr);
        const QRectF icon = iconRect();
        const double scale = icon.width() / QuickAppsWidget::iconSide;
        const double margin = shadowMargin() * scale;
        p.save();
        p.setOpacity(opacity);
        p.drawImage(
            icon.adjusted(-margin, -margin, margin, margin).translated(pos() + QPointF(0, shadowDrop)),
            m_shadow);
        p.restore();
    }

protected:
    void enterEvent(QEnterEvent* event) override {
        HoverButton::enterEvent(event);
        if (!m_missing) m_hover->animateTo(1.0, m_environment.hoverMotion());
    }
    void leaveEvent(QEvent* event) override {
        HoverButton::leaveEvent(event);
        m_hover->animateTo(0.0, m_environment.hoverMotion());
    }

    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QRectF box = iconRect();
        p.setOpacity(m_missing ? 0.35 : 1.0);
        paintIcon(p, box);
        p.setOpacity(1);
        if (m_running) {
            p.setPen(Qt::NoPen);
            p.setBrush(Vesk::Stone::x200);
            p.drawEllipse(QRectF(width() / 2.0 - dotSide / 2, QuickAppsWidget::iconSide + stackSpacing,
                                 dotSide, dotSide));
        }
    }

private:
    static double shadowMargin() { return std::ceil(shadowRadius * 1.5) + 1; }

    QRectF shadowReach() const {
        const double margin = shadowMargin() * (1 + 2 * hoverGrowth);
        return QRectF(geometry()).adjusted(-margin, -margin, margin, margin + shadowDrop);
    }

    void paintIcon(QPainter& p, const QRectF& box) const {
        if (m_icon && !m_icon->isNull()) {
            const QPixmap pixmap = m_icon->pixmap(box.size().toSize(), p.device()->devicePixelRatioF());
            const QSizeF fitted =
                QSizeF(pixmap.deviceIndependentSize()).scaled(box.size(), Qt::KeepAspectRatio);
            p.drawPixmap(QRectF(box.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted), pixmap,
                         pixmap.rect());
        } else {
            QPainterPath tile;
            tile.addRoundedRect(box, 11, 11);
            p.fillPath(tile, Vesk::Ink::x800);
            const double mark = Symbols::sideForFontSize(17);
            Symbols::paint(p, QRectF(box.center() - QPointF(mark, mark) / 2, QSizeF(mark, mark)),
                           QStringLiteral("questionmark"), Vesk::Stone::x400);
        }
    }

    // The icon's outline at rest, blurred, in black; made once per pixel ratio.
    void makeShadow(double dpr) {
        const double margin = shadowMargin();
        const double side = QuickAppsWidget::iconSide + 2 * margin;
        QImage shape(QSize(int(std::ceil(side * dpr)), int(std::ceil(side * dpr))),
                     QImage::Format_ARGB32_Premultiplied);
        shape.setDevicePixelRatio(dpr);
        shape.fill(Qt::transparent);
        {
            QPainter p(&shape);
            p.setRenderHint(QPainter::Antialiasing);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            paintIcon(p, QRectF(margin, margin, QuickAppsWidget::iconSide, QuickAppsWidget::iconSide));
        }
        // A shadow's radius reads as twice the blur's deviation.
        QImage blurred =
            gaussianBlurredAlpha(shape.convertToFormat(QImage::Format_Alpha8), shadowRadius / 2 * dpr);
        m_shadow = blurred.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        m_shadow.setDevicePixelRatio(dpr);
        m_shadowRatio = dpr;
    }

    std::optional<QIcon> m_icon;
    bool m_missing;
    bool m_running;
    const DeskEnvironment& m_environment;
    MotionAnimator* m_hover;
    QImage m_shadow;
    double m_shadowRatio = 0;
};

// Tiles in as many columns of at least the minimum width as fit; the tiles' shadows
// are drawn here, under them.
class TileGrid final : public QWidget {
public:
    using QWidget::QWidget;
    QList<AppTile*> tiles;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int rows = int((tiles.size() + columns(width) - 1) / columns(width));
        return int(std::ceil(rows * tileHeight + std::max(0, rows - 1) * QuickAppsWidget::rowSpacing));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        for (AppTile* tile : std::as_const(tiles))
            tile->paintShadow(p);
    }

    void resizeEvent(QResizeEvent*) override {
        const int count = columns(width());
        const double columnWidth = (width() - (count - 1) * QuickAppsWidget::columnSpacing) / count;
        for (qsizetype i = 0; i < tiles.size(); ++i) {
            const double x = (i % count) * (columnWidth + QuickAppsWidget::columnSpacing);
            const double y = double(i / count) * (tileHeight + QuickAppsWidget::rowSpacing);
            tiles[i]->setGeometry(QRectF(x, y, columnWidth, tileHeight).toRect());
        }
        setMinimumHeight(heightForWidth(width()));
    }

private:
    static int columns(int width) {
        return std::max(1, int((width + QuickAppsWidget::columnSpacing) /
                               (QuickAppsWidget::minimumColumn + QuickAppsWidget::columnSpacing)));
    }
};

// The "+" in the corner.
class PlusButton final : public QAbstractButton {
public:
    explicit PlusButton(QWidget* parent = nullptr) : QAbstractButton(parent) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setAccessibleName(QStringLiteral("Choose Apps"));
        const int side = int(std::ceil(Symbols::sideForFontSize(9)));
        setFixedSize(side, side);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        Symbols::paint(p, rect(), QStringLiteral("plus"), Vesk::Stone::x400);
    }
};

} // namespace

QuickAppsWidget::QuickAppsWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)) {
    setApps({});
}

QAbstractButton* QuickAppsWidget::configureButton() const {
    return m_frame ? qobject_cast<QAbstractButton*>(m_frame->trailing()) : nullptr;
}

void QuickAppsWidget::setApps(const QList<QuickApp>& apps) {
    m_tiles.clear();
    delete m_frame;
    const auto configure = [this] {
        if (m_actions.onConfigure) m_actions.onConfigure();
    };
    QWidget* content = nullptr;
    QAbstractButton* plus = nullptr;
    if (apps.isEmpty()) {
        content = new WidgetEmptyState(QStringLiteral("square.grid.2x2"),
                                       QStringLiteral("Pick the apps you reach for"), std::nullopt,
                                       WidgetEmptyState::Action{QStringLiteral("Choose Apps"), configure});
    } else {
        plus = new PlusButton;
        connect(plus, &QAbstractButton::clicked, this, configure);
        auto* list = new DeskScrollList;
        auto* grid = new TileGrid;
        for (const QuickApp& app : apps) {
            auto* tile = new AppTile(app, m_actions.icon ? m_actions.icon(app) : std::nullopt,
                                     m_actions.isMissing && m_actions.isMissing(app),
                                     m_actions.isRunning && m_actions.isRunning(app), environment(), grid);
            connect(tile, &QAbstractButton::clicked, this, [this, app] {
                if (m_actions.onLaunch) m_actions.onLaunch(app);
            });
            grid->tiles.append(tile);
            m_tiles.append(tile);
        }
        list->setContent(grid);
        content = list;
    }
    m_frame = WidgetFrame::filling(this, QStringLiteral("Apps"), plus, Qt::AlignCenter, content);
}

} // namespace vesk
