#include "Vesk/Desk/Widgets/MediaWidget.h"

#include "Vesk/Desk/Widgets/MediaLaunchPrompt.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "Vesk/Notch/ArtworkView.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QStackedWidget>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

constexpr double artworkSide = 48;
constexpr double headerSpacing = 11;
constexpr double sectionSpacing = 10;
constexpr double trackHeight = 14;
constexpr double barHeight = 5;
constexpr double labelSpacing = 8;
constexpr QSizeF buttonSize(26, 24);
constexpr double buttonSpacing = 22;
constexpr double longest = 1e9;

QFont labelFont() {
    return systemFont(9.5, QFont::Medium, FontDesign::monospaced);
}

// One transport button: a symbol in a 26 × 24 frame that takes clicks anywhere in it.
class TransportButton final : public QAbstractButton {
public:
    TransportButton(const QString& name, std::function<QString()> symbol, QWidget* parent)
        : QAbstractButton(parent), m_symbol(std::move(symbol)) {
        setAccessibleName(name);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setFixedSize(buttonSize.toSize());
    }
    QString symbol() const { return m_symbol(); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        const double side = std::min(Symbols::sideForFontSize(17), double(height()));
        Symbols::paint(painter, QRectF((width() - side) / 2, (height() - side) / 2, side, side), m_symbol(),
                       Vesk::Stone::x100);
    }

private:
    std::function<QString()> m_symbol;
};

// Title and artist beside the artwork.
class HeaderTexts final : public QWidget {
public:
    HeaderTexts(const MediaWidget& widget, QWidget* parent) : QWidget(parent), m_widget(widget) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const NowPlayingState& state = m_widget.state();
        const QFont title = systemFont(13, QFont::Medium);
        const QFont artist = systemFont(11);
        const QFontMetricsF titleMetrics(title);
        const QFontMetricsF artistMetrics(artist);
        const double block = titleMetrics.height() + (state.artist ? 2 + artistMetrics.height() : 0);
        double y = (height() - block) / 2;
        painter.setFont(title);
        painter.setPen(Vesk::Stone::x100);
        painter.drawText(QRectF(0, y, width(), titleMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         titleMetrics.elidedText(state.title.value_or(QString()), Qt::ElideRight, width()));
        if (!state.artist) return;
        y += titleMetrics.height() + 2;
        painter.setFont(artist);
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(QRectF(0, y, width(), artistMetrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                         artistMetrics.elidedText(*state.artist, Qt::ElideRight, width()));
    }

private:
    const MediaWidget& m_widget;
};

// Header, scrubber and transport row, placed by hand.
class PlayerView final : public QWidget {
public:
    using QWidget::QWidget;
    QWidget* artwork = nullptr;
    QWidget* texts = nullptr;
    QWidget* scrubber = nullptr;
    QList<QAbstractButton*> buttons;

    QSize sizeHint() const override {
        return QSize(200,
                     int(artworkSide + sectionSpacing + trackHeight + sectionSpacing + buttonSize.height()));
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        const int w = width();
        const double top = std::max(0.0, (height() - sizeHint().height()) / 2.0);
        artwork->setGeometry(0, int(top), int(artworkSide), int(artworkSide));
        const int textLeft = int(artworkSide + headerSpacing);
        texts->setGeometry(textLeft, int(top), std::max(w - textLeft, 1), int(artworkSide));
        const double scrubTop = top + artworkSide + sectionSpacing;
        scrubber->setGeometry(0, int(scrubTop), w, int(trackHeight));
        const double rowTop = scrubTop + trackHeight + sectionSpacing;
        const double rowWidth = buttons.size() * buttonSize.width() + (buttons.size() - 1) * buttonSpacing;
        double x = (w - rowWidth) / 2;
        for (QAbstractButton* button : std::as_const(buttons)) {
            button->move(int(std::lround(x)), int(rowTop));
            x += buttonSize.width() + buttonSpacing;
        }
    }
};

} // namespace

// Elapsed time, track and total; repainted on every tick and while scrubbing.
class ScrubberRow final : public QWidget {
public:
    ScrubberRow(MediaWidget& widget, QWidget* parent) : QWidget(parent), m_widget(widget) {
        setCursor(Qt::PointingHandCursor);
    }

    QRectF track() const {
        const QFontMetricsF metrics(labelFont());
        const double left = metrics.horizontalAdvance(MediaWidget::time(m_widget.position())) + labelSpacing;
        const double right = metrics.horizontalAdvance(MediaWidget::time(m_widget.total())) + labelSpacing;
        return QRectF(left, 0, std::max(width() - left - right, 1.0), height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setFont(labelFont());
        painter.setPen(Vesk::Stone::x400);
        painter.drawText(QRectF(rect()), Qt::AlignLeft | Qt::AlignVCenter,
                         MediaWidget::time(m_widget.position()));
        painter.drawText(QRectF(rect()), Qt::AlignRight | Qt::AlignVCenter,
                         MediaWidget::time(m_widget.total()));
        const QRectF band = track();
        const QRectF bar(band.left(), band.center().y() - barHeight / 2, band.width(), barHeight);
        QPainterPath whole;
        whole.addRoundedRect(bar, barHeight / 2, barHeight / 2);
        painter.fillPath(whole, Vesk::Ink::x700);
        const double filled = bar.width() * m_widget.fraction();
        if (filled > 0) {
            QPainterPath done;
            done.addRoundedRect(QRectF(bar.left(), bar.top(), filled, barHeight), barHeight / 2,
                                barHeight / 2);
            painter.fillPath(done, m_widget.isScrubbing() ? Vesk::Accent::x400 : Vesk::Stone::x200);
        }
    }
    // A press counts as the first change: a click without movement seeks there.
    void mousePressEvent(QMouseEvent* event) override {
        m_dragging = event->button() == Qt::LeftButton && track().contains(event->position());
        m_band = track();
        if (m_dragging) m_widget.scrubTo((event->position().x() - m_band.left()) / m_band.width());
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (m_dragging) m_widget.scrubTo((event->position().x() - m_band.left()) / m_band.width());
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (!m_dragging || event->button() != Qt::LeftButton) return;
        m_dragging = false;
        m_widget.endScrub();
    }

private:
    MediaWidget& m_widget;
    bool m_dragging = false;
    // The band as the drag began, so the labels' widths changing cannot move it.
    QRectF m_band;
};

QString MediaWidget::time(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0) return QStringLiteral("0:00");
    const qint64 t = qint64(std::trunc(std::min(seconds, longest)));
    return QString::asprintf("%lld:%02lld", t / 60, t % 60);
}

MediaWidget::MediaWidget(const DeskEnvironment& environment,
                         std::function<void(const MediaCommand&)> onCommand, QWidget* parent)
    : DeskWidget(environment, parent), m_onCommand(std::move(onCommand)), m_now(now()) {
    auto* player = new PlayerView;
    m_player = player;
    m_artwork = new ArtworkView(std::nullopt, artworkSide, player);
    player->artwork = m_artwork;
    player->texts = new HeaderTexts(*this, player);
    m_scrubber = new ScrubberRow(*this, player);
    player->scrubber = m_scrubber;
    const std::array<std::pair<QString, std::function<QString()>>, 3> transport{{
        {QStringLiteral("Previous"), [] { return QStringLiteral("backward.fill"); }},
        {QStringLiteral("Play or Pause"),
         [this] { return m_state.isPlaying ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"); }},
        {QStringLiteral("Next"), [] { return QStringLiteral("forward.fill"); }},
    }};
    const std::array<MediaCommand, 3> commands{MediaCommand::previous(), MediaCommand::toggle(),
                                               MediaCommand::next()};
    for (int i = 0; i < 3; ++i) {
        auto* button = new TransportButton(transport[i].first, transport[i].second, player);
        connect(button, &QAbstractButton::clicked, this, [this, command = commands[i]] { send(command); });
        m_buttons.append(button);
    }
    player->buttons = m_buttons;

    m_prompt = new MediaLaunchPrompt(environment);
    m_pages = new QStackedWidget;
    m_pages->addWidget(m_player);
    m_pages->addWidget(m_prompt);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("Now Playing"), nullptr, Qt::AlignCenter, m_pages));
    refresh();
    repeatWhileOnScreen(tickInterval, [this] {
        m_now = now();
        m_scrubber->update();
    });
}

void MediaWidget::setState(const NowPlayingState& state) {
    if (state == m_state) return;
    const bool wasPlayer = showsPlayer();
    m_state = state;
    refresh();
    if (wasPlayer && !showsPlayer() && isOnScreen()) m_prompt->lookUp();
}

void MediaWidget::refresh() {
    const bool player = m_state.title.has_value();
    m_pages->setCurrentWidget(player ? m_player : static_cast<QWidget*>(m_prompt));
    if (!player) return;
    m_artwork->setArtwork(m_state.artwork, artworkSide);
    m_player->update();
    for (QWidget* child : m_player->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        child->update();
}

bool MediaWidget::showsPlayer() const {
    return m_pages->currentWidget() == m_player;
}

double MediaWidget::position() const {
    if (m_scrubbing) return m_scrubValue;
    return m_state.position(m_now).value_or(0);
}

double MediaWidget::total() const {
    const double duration = m_state.duration.value_or(1);
    return std::isfinite(duration) && duration > 1 ? std::min(duration, longest) : 1;
}

double MediaWidget::fraction() const {
    const double value = position() / total();
    return std::isfinite(value) ? std::clamp(value, 0.0, 1.0) : 0.0;
}

QRectF MediaWidget::trackRect() const {
    return static_cast<ScrubberRow*>(m_scrubber)->track();
}

void MediaWidget::scrubTo(double fractionOfTrack) {
    m_scrubbing = true;
    m_scrubValue = (std::isfinite(fractionOfTrack) ? std::clamp(fractionOfTrack, 0.0, 1.0) : 0.0) * total();
    m_scrubber->update();
}

void MediaWidget::endScrub() {
    send(MediaCommand::seek(m_scrubValue));
    // An earlier release's reset still fires during a newer drag.
    const QPointer<MediaWidget> self(this);
    environment().mainThreadScheduler().postAfter(scrubHold, [self] {
        if (!self) return;
        self->m_scrubbing = false;
        self->m_scrubber->update();
    });
}

void MediaWidget::send(const MediaCommand& command) const {
    if (m_onCommand) m_onCommand(command);
}

void MediaWidget::appeared() {
    m_now = now();
    m_scrubber->update();
    if (!showsPlayer()) m_prompt->lookUp();
}

void MediaWidget::disappeared() {
    m_prompt->cancel();
}

} // namespace vesk
