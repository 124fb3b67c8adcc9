#include "Vesk/Desk/Widgets/MediaLaunchPrompt.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskPlatform/Workspace/DesktopApplications.h"
#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
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

// An application's icon that grows a little while the pointer is over it.
class LaunchTile final : public QAbstractButton {
public:
    LaunchTile(const QString& id, const QIcon& icon, QWidget* parent)
        : QAbstractButton(parent), m_icon(icon), m_scale(1.0) {
        setObjectName(id);
        setAccessibleName(id);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        // Room for the grown icon.
        const int side = int(std::ceil(MediaLaunchPrompt::tileSide * hoverScale));
        setFixedSize(side, side);
        QObject::connect(&m_scale, &MotionAnimator::valueChanged, this, [this] { update(); });
    }
    double scale() const { return m_scale.value().toDouble(); }

protected:
    void enterEvent(QEnterEvent*) override { hover(true); }
    void leaveEvent(QEvent*) override { hover(false); }
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const double side = MediaLaunchPrompt::tileSide * scale();
        const QRectF target((width() - side) / 2, (height() - side) / 2, side, side);
        const QPixmap pixmap =
            m_icon.pixmap(QSize(int(std::ceil(side)), int(std::ceil(side))), devicePixelRatioF());
        painter.drawPixmap(target, pixmap, QRectF(pixmap.rect()));
    }

private:
    void hover(bool on) {
        m_scale.animateTo(on ? hoverScale : 1.0, Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover));
    }

    QIcon m_icon;
    MotionAnimator m_scale;
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

MediaLaunchPrompt::MediaLaunchPrompt(std::shared_ptr<DesktopApplications> applications, QWidget* parent)
    : QWidget(parent), m_applications(std::move(applications)) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

QSize MediaLaunchPrompt::sizeHint() const {
    const double texts =
        QFontMetricsF(firstFont()).height() + textSpacing + QFontMetricsF(secondFont()).height();
    const double row = m_tiles.isEmpty() ? 0 : sectionSpacing + tileSide * hoverScale;
    return QSize(200, int(std::ceil(texts + row)));
}

void MediaLaunchPrompt::lookUp() {
    const quint64 generation = ++m_generation;
    const QPointer<MediaLaunchPrompt> self(this);
    // Reading desktop entries can take longer than a frame.
    (void)QtConcurrent::run([applications = m_applications, self, generation] {
        QList<Found> found;
        for (const QStringList& slot : candidates()) {
            for (const QString& id : slot) {
                if (const std::optional<DesktopEntry> entry = applications->entry(id)) {
                    found.append({entry->id, entry->path});
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
        auto* tile = new LaunchTile(app.id, m_applications->icon(app.path), this);
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
    const double tile = tileSide * hoverScale;
    const double total = texts + (m_tiles.isEmpty() ? 0 : sectionSpacing + tile);
    const double top = (height() - total) / 2 + texts + sectionSpacing;
    const double rowWidth = m_tiles.size() * tile +
                            std::max<qsizetype>(m_tiles.size() - 1, 0) * (tileSpacing - (tile - tileSide));
    double x = (width() - rowWidth) / 2;
    for (QAbstractButton* button : std::as_const(m_tiles)) {
        button->move(int(std::lround(x)), int(std::lround(top)));
        x += tile + tileSpacing - (tile - tileSide);
    }
}

void MediaLaunchPrompt::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetricsF first(firstFont());
    const QFontMetricsF second(secondFont());
    const double texts = first.height() + textSpacing + second.height();
    const double total = texts + (m_tiles.isEmpty() ? 0 : sectionSpacing + tileSide * hoverScale);
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
