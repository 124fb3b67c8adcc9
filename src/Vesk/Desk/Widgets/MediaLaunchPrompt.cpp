#include "Vesk/Desk/Widgets/MediaLaunchPrompt.h"

#include "Vesk/Desk/DeskEnvironment.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QEnterEvent>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QtConcurrent>

#include <cmath>

namespace vesk {

namespace {

constexpr double textSpacing = 1;
constexpr double sectionSpacing = 9;
constexpr double tileSpacing = 10;
constexpr double hoverScale = 1.12;

QString firstLine() {
    return QStringLiteral("No app seems to be running");
}
QString secondLine() {
    return QStringLiteral("Wanna open one?");
}
QFont firstFont() {
    return systemFont(12);
}
QFont secondFont() {
    return systemFont(13, QFont::DemiBold);
}

// Room around a tile's square for its grown icon.
int tileBleed() {
    return int(std::ceil(MediaLaunchPrompt::tileSide * (hoverScale - 1) / 2));
}

// An application's icon that grows a little while the pointer is over it. The widget
// has room for the grown icon; only the icon's square takes the pointer.
class LaunchTile final : public QAbstractButton {
public:
    LaunchTile(const QString& id, const QImage& icon, const DeskEnvironment& environment, QWidget* parent)
        : QAbstractButton(parent), m_icon(icon), m_environment(environment), m_scale(1.0) {
        setObjectName(id);
        setAccessibleName(id);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setMouseTracking(true);
        const int side = int(MediaLaunchPrompt::tileSide) + 2 * tileBleed();
        setFixedSize(side, side);
        QObject::connect(&m_scale, &MotionAnimator::valueChanged, this, [this] { update(); });
    }
    double scale() const { return m_scale.value().toDouble(); }
    QRectF square() const {
        const double side = MediaLaunchPrompt::tileSide;
        return QRectF((width() - side) / 2, (height() - side) / 2, side, side);
    }

protected:
    bool hitButton(const QPoint& position) const override { return square().contains(position); }
    void mouseMoveEvent(QMouseEvent* event) override {
        hover(square().contains(event->position()));
        QAbstractButton::mouseMoveEvent(event);
    }
    void enterEvent(QEnterEvent* event) override { hover(square().contains(event->position())); }
    void leaveEvent(QEvent*) override { hover(false); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const double side = MediaLaunchPrompt::tileSide * scale();
        const QSizeF fitted = QSizeF(m_icon.size()).scaled(QSizeF(side, side), Qt::KeepAspectRatio);
        painter.drawImage(QRectF(QPointF(width() - fitted.width(), height() - fitted.height()) / 2, fitted),
                          m_icon);
    }

private:
    void hover(bool on) {
        if (on == m_hovering) return;
        m_hovering = on;
        m_scale.animateTo(on ? hoverScale : 1.0, m_environment.hoverMotion());
    }

    QImage m_icon;
    const DeskEnvironment& m_environment;
    MotionAnimator m_scale;
    bool m_hovering = false;
};

} // namespace

const QList<QStringList>& MediaLaunchPrompt::candidates() {
    static const QList<QStringList> slots{
        {"org.gnome.Music.desktop", "org.gnome.Rhythmbox3.desktop", "org.kde.elisa.desktop"},
        {"spotify.desktop", "com.spotify.Client.desktop"},
        {"org.gnome.Podcasts.desktop", "org.kde.kasts.desktop"},
        {"vlc.desktop", "org.videolan.VLC.desktop"},
        {"org.gnome.Totem.desktop", "org.kde.dragonplayer.desktop"},
        {"mpv.desktop", "io.mpv.Mpv.desktop", "io.github.celluloid_player.Celluloid.desktop"},
    };
    return slots;
}

MediaLaunchPrompt::MediaLaunchPrompt(const DeskEnvironment& environment, QWidget* parent)
    : QWidget(parent), m_environment(environment), m_applications(environment.desktopApplications()) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize MediaLaunchPrompt::sizeHint() const {
    const double texts =
        QFontMetricsF(firstFont()).height() + textSpacing + QFontMetricsF(secondFont()).height();
    const double row = m_tiles.isEmpty() ? 0 : sectionSpacing + tileSide;
    return QSize(200, int(std::ceil(texts + row)));
}

void MediaLaunchPrompt::lookUp() {
    const quint64 generation = ++m_generation;
    const QPointer<MediaLaunchPrompt> self(this);
    const int pixels = int(std::ceil(tileSide * hoverScale * devicePixelRatioF()));
    // Reading desktop entries and their icons can take longer than a frame.
    (void)QtConcurrent::run([applications = m_applications, self, generation, pixels] {
        QList<Found> found;
        for (const QStringList& slot : candidates()) {
            for (const QString& id : slot) {
                if (const std::optional<DesktopEntry> entry = applications->entry(id)) {
                    found.append({entry->id, entry->path, applications->iconImage(entry->path, pixels)});
                    break;
                }
            }
            if (found.size() == maxTiles) break;
        }
        QMetaObject::invokeMethod(qApp, [self, generation, found] {
            if (self && generation == self->m_generation) self->showFound(found);
        });
    });
}

void MediaLaunchPrompt::cancel() {
    ++m_generation;
}

void MediaLaunchPrompt::showFound(const QList<Found>& found) {
    qDeleteAll(m_tiles);
    m_tiles.clear();
    for (const Found& app : found) {
        auto* tile = new LaunchTile(app.id, app.icon, m_environment, this);
        connect(tile, &QAbstractButton::clicked, this, [this, id = app.id] { launch(id); });
        tile->show();
        m_tiles.append(tile);
    }
    place();
    updateGeometry();
    update();
    Q_EMIT tilesChanged();
}

void MediaLaunchPrompt::launch(const QString& id) const {
    // The player may have been removed since the lookup.
    const std::optional<DesktopEntry> entry = m_applications->entry(id);
    if (!entry) return;
    QString error;
    if (!m_applications->launch(entry->path, &error))
        TraceLog::trace(QStringLiteral("could not start ") + id + QStringLiteral(": ") + error);
}

QStringList MediaLaunchPrompt::tileIDs() const {
    QStringList ids;
    for (const QAbstractButton* tile : m_tiles)
        ids.append(tile->objectName());
    return ids;
}

QList<QAbstractButton*> MediaLaunchPrompt::tiles() const {
    return m_tiles;
}

void MediaLaunchPrompt::resizeEvent(QResizeEvent*) {
    place();
}

void MediaLaunchPrompt::place() {
    const double texts =
        QFontMetricsF(firstFont()).height() + textSpacing + QFontMetricsF(secondFont()).height();
    const double total = texts + (m_tiles.isEmpty() ? 0 : sectionSpacing + tileSide);
    const double top = (height() - total) / 2 + texts + sectionSpacing;
    const double rowWidth =
        m_tiles.size() * tileSide + std::max<qsizetype>(m_tiles.size() - 1, 0) * tileSpacing;
    double x = (width() - rowWidth) / 2;
    // Each tile's square sits in the row; its widget reaches past it for the grown icon.
    for (QAbstractButton* button : std::as_const(m_tiles)) {
        button->move(int(std::lround(x)) - tileBleed(), int(std::lround(top)) - tileBleed());
        x += tileSide + tileSpacing;
    }
}

void MediaLaunchPrompt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetricsF first(firstFont());
    const QFontMetricsF second(secondFont());
    const double texts = first.height() + textSpacing + second.height();
    const double total = texts + (m_tiles.isEmpty() ? 0 : sectionSpacing + tileSide);
    const double top = (height() - total) / 2;
    const QRectF inner = QRectF(rect()).adjusted(8, 0, -8, 0);
    painter.setFont(firstFont());
    painter.setPen(Vesk::Stone::x300);
    painter.drawText(QRectF(inner.left(), top, inner.width(), first.height()), Qt::AlignCenter, firstLine());
    painter.setFont(secondFont());
    painter.setPen(Vesk::Stone::x100);
    painter.drawText(QRectF(inner.left(), top + first.height() + textSpacing, inner.width(), second.height()),
                     Qt::AlignCenter, secondLine());
}

} // namespace vesk
