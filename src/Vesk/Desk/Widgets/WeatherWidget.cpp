#include "Vesk/Desk/Widgets/WeatherWidget.h"

#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QHelpEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QToolTip>

#include <cmath>

namespace vesk {

namespace {

TemperatureUnit preferredUnit() {
    return QLocale().measurementSystem() == QLocale::ImperialUSSystem ? TemperatureUnit::fahrenheit
                                                                      : TemperatureUnit::celsius;
}

// A small indeterminate spinner, turning only while it is shown.
class Spinner final : public QWidget {
public:
    explicit Spinner(QWidget* parent = nullptr) : QWidget(parent) {
        setFixedSize(16, 16);
        m_timer.setInterval(1000 / 30);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_angle = (m_angle + 12) % 360;
            update();
        });
    }

protected:
    void showEvent(QShowEvent*) override { m_timer.start(); }
    void hideEvent(QHideEvent*) override { m_timer.stop(); }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPen pen(Vesk::Stone::x400, 2, Qt::SolidLine, Qt::RoundCap);
        p.setPen(pen);
        p.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -m_angle * 16, 270 * 16);
    }

private:
    QTimer m_timer;
    int m_angle = 0;
};

struct Line {
    QString text;
    QFont font;
    QColor colour;
    bool gapAfter = false;
};

// The reading's lines under its symbol, in the unit the locale prefers now.
QList<Line> readingLines(const WeatherSnapshot& s) {
    const TemperatureUnit unit = preferredUnit();
    QList<Line> lines{{WeatherSnapshot::formatted(s.temperature, unit),
                       systemFont(26, QFont::Medium, FontDesign::default_, true), Vesk::Stone::x100, true},
                      {s.condition, systemFont(11), Vesk::Stone::x300, false}};
    if (s.high && s.low)
        lines.append({QStringLiteral("H ") + WeatherSnapshot::formatted(*s.high, unit) +
                          QStringLiteral("  ·  L ") + WeatherSnapshot::formatted(*s.low, unit),
                      systemFont(10, QFont::Normal, FontDesign::default_, true), Vesk::Stone::x400, false});
    if (s.locationName) lines.append({*s.locationName, systemFont(10), Vesk::Stone::x400, false});
    return lines;
}

const QString attributionText = QStringLiteral(" Weather");

// The current reading: symbol, temperature, condition, high and low, place, and the
// attribution link under them. A cell too short for all of it shows it smaller.
class ReadingView final : public QWidget {
public:
    ReadingView(WeatherProvider& provider, const DeskEnvironment& environment, QWidget* parent)
        : QWidget(parent), m_provider(&provider), m_environment(environment) {
        setMouseTracking(true);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_provider || !m_provider->snapshot()) return;
        const WeatherSnapshot& s = *m_provider->snapshot();
        const QList<Line> lines = readingLines(s);
        const QFont attributionFont = systemFont(9);
        const double symbol = Symbols::sideForFontSize(30);
        double natural = symbol + 6;
        for (const Line& text : lines)
            natural += QFontMetricsF(text.font).height() + (text.gapAfter ? 6 : 0);
        natural += 6 + QFontMetricsF(attributionFont).height();
        const double scale = std::min(1.0, height() / natural);
        const double span = width() / scale;

        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.translate(0, std::max(0.0, (height() - natural * scale) / 2));
        p.scale(scale, scale);
        Symbols::paint(p, QRectF((span - symbol) / 2, 0, symbol, symbol), s.symbolName, Vesk::Stone::x100);
        double y = symbol + 6;
        const auto line = [&](const QString& text, const QFont& font, const QColor& colour) {
            const QFontMetricsF metrics(font);
            p.setFont(font);
            p.setPen(colour);
            const QRectF box(6, y, span - 12, metrics.height());
            p.drawText(box, Qt::AlignHCenter | Qt::AlignTop,
                       metrics.elidedText(text, Qt::ElideRight, box.width()));
            y += metrics.height();
            return box;
        };
        for (const Line& text : lines) {
            line(text.text, text.font, text.colour);
            if (text.gapAfter) y += 6;
        }
        y += 6;
        const QRectF attribution = line(attributionText, attributionFont, Vesk::Stone::x400);
        const double textWidth = QFontMetricsF(attributionFont).horizontalAdvance(attributionText);
        const QRectF hit(attribution.center().x() - textWidth / 2, attribution.top(), textWidth,
                         attribution.height());
        m_attributionRect = p.transform().mapRect(hit);
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        setCursor(m_attributionRect.contains(event->position()) ? Qt::PointingHandCursor : Qt::ArrowCursor);
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() != Qt::LeftButton || !m_attributionRect.contains(event->position())) return;
        if (m_provider && m_provider->attributionURL()) m_environment.open(*m_provider->attributionURL());
    }
    bool event(QEvent* event) override {
        if (event->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(event);
            if (m_attributionRect.contains(help->pos()))
                QToolTip::showText(help->globalPos(), QStringLiteral("Weather data provided by Open-Meteo"),
                                   this);
            else
                QToolTip::hideText();
            return true;
        }
        return QWidget::event(event);
    }

private:
    QPointer<WeatherProvider> m_provider;
    const DeskEnvironment& m_environment;
    QRectF m_attributionRect;
};

} // namespace

WeatherWidget::WeatherWidget(const DeskEnvironment& environment, WeatherProvider& provider, QWidget* parent)
    : DeskWidget(environment, parent), m_provider(&provider) {
    for (auto signal : {&WeatherProvider::availabilityChanged, &WeatherProvider::snapshotChanged,
                        &WeatherProvider::attributionChanged})
        connect(&provider, signal, this, &WeatherWidget::rebuild);
    rebuild();
}

void WeatherWidget::rebuild() {
    if (!m_provider) return;
    const WeatherAvailability& availability = m_provider->availability();
    Shown shown = Shown::needsLocation;
    if (availability.isReady())
        shown = m_provider->snapshot() ? Shown::reading : Shown::loading;
    else if (availability == WeatherAvailability::locationDenied())
        shown = Shown::denied;
    else if (availability == WeatherAvailability::noLocationService())
        shown = Shown::noService;
    else if (availability.failure())
        shown = Shown::failed;
    const QString failure = availability.failure().value_or(QString());
    if (m_frame && shown == m_shown && failure == m_failure) {
        // The same state with new values: the reading repaints itself.
        m_frame->update();
        if (m_frame->content()) m_frame->content()->update();
        return;
    }
    m_shown = shown;
    m_failure = failure;
    delete m_frame;

    QPointer<WeatherProvider> provider = m_provider;
    QWidget* content = nullptr;
    m_stateTexts.clear();
    switch (shown) {
    case Shown::reading:
        content = new ReadingView(*m_provider, environment(), nullptr);
        break;
    case Shown::loading:
        content = new Spinner;
        break;
    case Shown::needsLocation:
    case Shown::none:
        m_stateTexts = {QStringLiteral("Weather where you are"),
                        QStringLiteral("Location is used at reduced accuracy.")};
        content = new WidgetEmptyState(QStringLiteral("location"), QStringLiteral("Weather where you are"),
                                       QStringLiteral("Location is used at reduced accuracy."),
                                       WidgetEmptyState::Action{QStringLiteral("Allow Location"), [provider] {
                                                                    if (provider)
                                                                        provider->requestLocationAccess();
                                                                }});
        break;
    case Shown::denied: {
        const DeskEnvironment& env = environment();
        // The user acting on the refusal is what makes location ask once more.
        m_stateTexts = {QStringLiteral("Location is off for VeskNotch"),
                        QStringLiteral("Turn it on in your desktop's settings.")};
        content = new WidgetEmptyState(
            QStringLiteral("location.slash"), QStringLiteral("Location is off for VeskNotch"),
            QStringLiteral("Turn it on in your desktop's settings."),
            WidgetEmptyState::Action{QStringLiteral("Open Settings"), [&env, provider] {
                                         if (provider) provider->requestLocationAccess();
                                         if (env.openPrivacyPane)
                                             env.openPrivacyPane(QStringLiteral("Privacy_LocationServices"));
                                     }});
        break;
    }
    case Shown::noService:
        // Nothing to turn on: the widget follows once a location service starts.
        m_stateTexts = {QStringLiteral("No location service on this computer"),
                        QStringLiteral("Weather needs the desktop's location service, GeoClue.")};
        content =
            new WidgetEmptyState(QStringLiteral("location.slash"), m_stateTexts.at(0), m_stateTexts.at(1));
        break;
    case Shown::failed:
        m_stateTexts = {QStringLiteral("Couldn't load the forecast"), failure};
        content = new WidgetEmptyState(QStringLiteral("cloud.slash"),
                                       QStringLiteral("Couldn't load the forecast"), failure);
        break;
    }
    m_frame = WidgetFrame::filling(this, QStringLiteral("Weather"), nullptr, Qt::AlignCenter, content);
}

QStringList WeatherWidget::texts() const {
    if (m_shown != Shown::reading || !m_provider || !m_provider->snapshot()) return m_stateTexts;
    QStringList texts;
    for (const Line& line : readingLines(*m_provider->snapshot()))
        texts << line.text;
    return texts;
}

} // namespace vesk
