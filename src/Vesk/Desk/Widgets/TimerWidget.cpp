#include "Vesk/Desk/Widgets/TimerWidget.h"

#include "Vesk/Desk/Widgets/DeskScrollList.h"
#include "Vesk/Desk/Widgets/DurationPicker.h"
#include "Vesk/Desk/Widgets/RowMenu.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QStackedWidget>

#include <cmath>

namespace vesk {

namespace {

constexpr std::array<double, 3> presets{60, 300, 600};

// A capsule with its text: the preset chips and "Start".
class CapsuleButton final : public QAbstractButton {
public:
    CapsuleButton(const QString& text, QFont font, QSizeF padding, QWidget* parent)
        : QAbstractButton(parent), m_padding(padding) {
        setText(text);
        setFont(font);
        setAccessibleName(text);
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }
    std::function<bool()> selected = [] { return true; };

    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text()) + 2 * m_padding.width())),
                     int(std::ceil(metrics.height() + 2 * m_padding.height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isEnabled() ? 1.0 : 0.4);
        const bool on = selected();
        QPainterPath capsule;
        capsule.addRoundedRect(QRectF(rect()), height() / 2.0, height() / 2.0);
        painter.fillPath(capsule, on ? Vesk::Accent::x500 : Vesk::Ink::x800);
        painter.setPen(on ? Vesk::Accent::on : Vesk::Stone::x300);
        painter.setFont(font());
        painter.drawText(rect(), Qt::AlignCenter, text());
    }

private:
    QSizeF m_padding;
};

// "plus" and "Add Timer".
class AddButton final : public QAbstractButton {
public:
    explicit AddButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral("Add Timer"));
        setAccessibleName(text());
        setFont(systemFont(11, QFont::Medium));
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.height() + 4 + metrics.horizontalAdvance(text()))),
                     int(std::ceil(metrics.height() + 4)));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFontMetricsF metrics(font());
        const double side = metrics.height();
        Symbols::paint(painter, QRectF(0, (height() - side) / 2, side, side), u"plus", Vesk::Stone::x200);
        painter.setPen(Vesk::Stone::x200);
        painter.setFont(font());
        painter.drawText(QRectF(side + 4, 0, width() - side - 4, height()), Qt::AlignVCenter | Qt::AlignLeft,
                         text());
    }
};

// One timer: ring, time left, pause or resume; "Remove" on secondary click.
class TimerRow final : public QWidget {
public:
    TimerRow(const VeskTimer& timer, const TimerWidget& widget, const TimerWidget::Actions& actions,
             QWidget* parent)
        : QWidget(parent), m_timer(timer), m_widget(widget), m_actions(actions) {
        setFixedHeight(28);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath ground;
        ground.addRoundedRect(QRectF(rect()), 6, 6);
        painter.fillPath(ground, Vesk::Ink::x900);

        const Date now = m_widget.clock();
        const QRectF ring(8 + 1, (height() - 18) / 2.0 + 1, 16, 16);
        painter.setPen(QPen(Vesk::Ink::x700, 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawEllipse(ring);
        const double progress =
            m_timer.total > 0 ? std::clamp(1 - m_timer.remaining(now) / m_timer.total, 0.0, 1.0) : 0.0;
        if (progress > 0) {
            // From the top, clockwise (Qt counts angles anticlockwise from three o'clock).
            painter.setPen(QPen(Vesk::Accent::x500, 2, Qt::SolidLine, Qt::RoundCap));
            painter.drawArc(ring, 90 * 16, -int(std::lround(progress * 360 * 16)));
        }
        painter.setPen(Vesk::Stone::x100);
        painter.setFont(systemFont(12, QFont::Medium, FontDesign::rounded, true));
        painter.drawText(QRectF(8 + 18 + 8, 0, width(), height()), Qt::AlignVCenter | Qt::AlignLeft,
                         TimerWidget::formatted(m_timer.remaining(now)));
        const double side = Symbols::sideForFontSize(9);
        Symbols::paint(painter, toggleRect(side), m_timer.isRunning() ? u"pause.fill" : u"play.fill",
                       Vesk::Stone::x300);
    }

    // Pause and resume act like a button: pressed and released on it.
    void mousePressEvent(QMouseEvent* event) override {
        m_togglePressed = event->button() == Qt::LeftButton && toggleRect(20).contains(event->position());
        if (m_togglePressed)
            event->accept();
        else
            QWidget::mousePressEvent(event);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton) return;
        const bool pressed = std::exchange(m_togglePressed, false);
        if (pressed && toggleRect(20).contains(event->position()) && m_actions.onToggle)
            m_actions.onToggle(m_timer);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        const VeskTimer timer = m_timer;
        const auto remove = m_actions.onRemove;
        popupRowMenu(parentWidget(), event->globalPos(),
                     {{QStringLiteral("Remove"),
                       [remove, timer] {
                           if (remove) remove(timer);
                       },
                       true}});
    }

private:
    QRectF toggleRect(double side) const {
        return QRectF(width() - 8 - side, (height() - side) / 2, side, side);
    }

    VeskTimer m_timer;
    const TimerWidget& m_widget;
    TimerWidget::Actions m_actions;
    bool m_togglePressed = false;
};

QString presetLabel(double seconds) {
    return seconds < 3600 ? QString::number(qint64(seconds / 60)) + QLatin1Char('m')
                          : QString::number(qint64(seconds / 3600)) + QLatin1Char('h');
}

} // namespace

QString TimerWidget::formatted(double remaining) {
    const double clamped = std::isfinite(remaining) ? std::clamp(remaining, 0.0, 1e9) : 0.0;
    const qint64 r = qint64(std::ceil(clamped));
    if (r < 3600) return QString::asprintf("%lld:%02lld", r / 60, r % 60);
    return QString::asprintf("%lld:%02lld:%02lld", r / 3600, r % 3600 / 60, r % 60);
}

TimerWidget::TimerWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent)
    : DeskWidget(environment, parent), m_actions(std::move(actions)), m_now(now()) {
    m_pages = new QStackedWidget;

    auto* pickerPage = new QWidget;
    auto* pickerLayout = new QVBoxLayout(pickerPage);
    pickerLayout->setContentsMargins(0, 0, 0, 0);
    pickerLayout->setSpacing(8);
    m_picker = new DurationPicker(rowHeight, visibleRows);
    m_picker->setDuration(m_duration);
    connect(m_picker, &DurationPicker::durationChanged, this,
            [this](double seconds) { setDuration(seconds); });
    pickerLayout->addWidget(m_picker);
    auto* chipRow = new QHBoxLayout;
    chipRow->setSpacing(6);
    for (double preset : presets) {
        auto* chip =
            new CapsuleButton(presetLabel(preset), systemFont(10, QFont::Medium), QSizeF(9, 3), pickerPage);
        chip->selected = [this, preset] { return m_duration == preset; };
        connect(chip, &QAbstractButton::clicked, this, [this, preset] { setDuration(preset); });
        chipRow->addWidget(chip);
        m_chips.append(chip);
    }
    chipRow->addStretch(1);
    m_start = new CapsuleButton(QStringLiteral("Start"), systemFont(11, QFont::DemiBold), QSizeF(13, 4),
                                pickerPage);
    connect(m_start, &QAbstractButton::clicked, this, [this] {
        if (m_actions.onAdd && m_duration >= 1) m_actions.onAdd(m_duration);
    });
    chipRow->addWidget(m_start);
    pickerLayout->addLayout(chipRow);
    m_pages->addWidget(pickerPage);

    auto* listPage = new QWidget;
    auto* listLayout = new QVBoxLayout(listPage);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->setSpacing(8);
    auto* scroll = new DeskScrollList;
    m_rowList = new QWidget;
    m_rowLayout = new QVBoxLayout(m_rowList);
    m_rowLayout->setContentsMargins(0, 0, 0, 0);
    m_rowLayout->setSpacing(4);
    m_rowLayout->addStretch(1);
    scroll->setContent(m_rowList);
    listLayout->addWidget(scroll, 1);
    m_add = new AddButton(listPage);
    connect(m_add, &QAbstractButton::clicked, this, [this] {
        if (m_actions.onAdd) m_actions.onAdd(m_duration);
    });
    listLayout->addWidget(m_add, 0, Qt::AlignLeft);
    m_pages->addWidget(listPage);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new WidgetFrame(QStringLiteral("Timer"), nullptr, Qt::AlignCenter, m_pages));
    setDuration(m_duration);
    repeatWhileOnScreen(tickInterval, [this] { tick(); });
}

void TimerWidget::setTimers(const QList<VeskTimer>& timers) {
    if (timers == m_timers) return;
    m_timers = timers;
    rebuildRows();
}

void TimerWidget::setDuration(double seconds) {
    m_duration = seconds;
    if (m_picker->duration() != seconds) m_picker->setDuration(seconds);
    m_start->setEnabled(seconds >= 1);
    for (QAbstractButton* chip : std::as_const(m_chips))
        chip->update();
    m_start->update();
}

QList<QWidget*> TimerWidget::rows() const {
    QList<QWidget*> result;
    for (int i = 0; i < m_rowLayout->count(); ++i)
        if (QWidget* row = m_rowLayout->itemAt(i)->widget()) result.append(row);
    return result;
}

bool TimerWidget::showsPicker() const {
    return m_pages->currentIndex() == 0;
}

void TimerWidget::rebuildRows() {
    while (QLayoutItem* item = m_rowLayout->takeAt(0)) {
        // Later: the row's own click may be what changed the list.
        if (QWidget* row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
    for (const VeskTimer& timer : std::as_const(m_timers))
        m_rowLayout->addWidget(new TimerRow(timer, *this, m_actions, m_rowList));
    m_rowLayout->addStretch(1);
    m_pages->setCurrentIndex(m_timers.isEmpty() ? 0 : 1);
}

void TimerWidget::appeared() {
    tick();
}

void TimerWidget::tick() {
    m_now = now();
    for (QWidget* row : rows())
        row->update();
}

} // namespace vesk
