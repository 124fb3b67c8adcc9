#include "Vesk/Desk/Widgets/QuickAppsWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/HoverButton.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
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

class AppTile final : public HoverButton {
public:
    AppTile(const QuickApp& app, std::optional<QIcon> icon, bool missing, bool running, QWidget* parent)
        : HoverButton(parent), m_icon(std::move(icon)), m_missing(missing), m_running(running) {
        setFocusPolicy(Qt::NoFocus);
        setCursor(missing ? Qt::ArrowCursor : Qt::PointingHandCursor);
        setEnabled(!missing);
        setToolTip(missing ? app.name + QStringLiteral(" — not installed on this computer") : app.name);
        setAccessibleName(app.name);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const bool grown = isHovering() && !m_missing;
        const double side = QuickAppsWidget::iconSide * (grown ? 1.1 : 1.0);
        const QPointF centre(width() / 2.0, QuickAppsWidget::iconSide / 2.0);
        const QRectF box(centre.x() - side / 2, centre.y() - side / 2, side, side);
        p.setOpacity(m_missing ? 0.35 : 1.0);
        if (grown) {
            // A soft shadow under the raised icon.
            QPainterPath shadow;
            shadow.addRoundedRect(box.translated(0, 3).adjusted(2, 2, -2, -2), 11, 11);
            p.fillPath(shadow, QColor(0, 0, 0, int(255 * 0.45 * 0.5)));
        }
        if (m_icon && !m_icon->isNull()) {
            const QPixmap pixmap = m_icon->pixmap(QSize(int(side), int(side)), devicePixelRatioF());
            const QSizeF fitted =
                QSizeF(pixmap.deviceIndependentSize()).scaled(box.size(), Qt::KeepAspectRatio);
            p.drawPixmap(
                QRectF(QPointF(centre.x() - fitted.width() / 2, centre.y() - fitted.height() / 2), fitted),
                pixmap, pixmap.rect());
        } else {
            QPainterPath tile;
            tile.addRoundedRect(box, 11, 11);
            p.fillPath(tile, Vesk::Ink::x800);
            const double mark = Symbols::sideForFontSize(17);
            Symbols::paint(p, QRectF(centre.x() - mark / 2, centre.y() - mark / 2, mark, mark),
                           QStringLiteral("questionmark"), Vesk::Stone::x400);
        }
        p.setOpacity(1);
        if (m_running) {
            p.setPen(Qt::NoPen);
            p.setBrush(Vesk::Stone::x200);
            p.drawEllipse(QRectF(width() / 2.0 - dotSide / 2, QuickAppsWidget::iconSide + stackSpacing,
                                 dotSide, dotSide));
        }
    }

private:
    std::optional<QIcon> m_icon;
    bool m_missing;
    bool m_running;
};

// Tiles in as many columns of at least the minimum width as fit.
class TileGrid final : public QWidget {
public:
    using QWidget::QWidget;
    QList<QWidget*> tiles;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override {
        const int rows = int((tiles.size() + columns(width) - 1) / columns(width));
        return int(std::ceil(rows * tileHeight + std::max(0, rows - 1) * QuickAppsWidget::rowSpacing));
    }

protected:
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
                                     m_actions.isRunning && m_actions.isRunning(app), grid);
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
