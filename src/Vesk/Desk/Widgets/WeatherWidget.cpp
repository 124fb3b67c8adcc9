#include "Vesk/Desk/Widgets/WeatherWidget.h"

#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Desk/Widgets/WidgetFrame.h"
#include "VeskServices/Weather/WeatherProvider.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QAbstractButton>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QTimer>

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

// The attribution link.
class AttributionButton final : public QAbstractButton {
public:
    explicit AttributionButton(QWidget* parent) : QAbstractButton(parent) {
        setText(QStringLiteral(" Weather"));
        setToolTip(QStringLiteral("Weather data provided by Open-Meteo"));
        setFocusPolicy(Qt::NoFocus);
        setCursor(Qt::PointingHandCursor);
        setFont(systemFont(9));
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(text()))) + 2, int(std::ceil(metrics.height())));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(Vesk::Stone::x400);
        p.drawText(rect(), Qt::AlignCenter, text());
    }
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

// The current reading: symbol, temperature, condition, high and low, place.
class ReadingView final : public QWidget {
public:
    ReadingView(WeatherProvider& provider, const DeskEnvironment& environment, QWidget* parent)
        : QWidget(parent), m_provider(&provider) {
        m_attribution = new AttributionButton(this);
        connect(m_attribution, &QAbstractButton::clicked, this, [this, &environment] {
            if (m_provider && m_provider->attributionURL()) environment.open(*m_provider->attributionURL());
        });
    }

protected:
    void resizeEvent(QResizeEvent*) override {
        const QSize hint = m_attribution->sizeHint();
        m_attribution->setGeometry(QRect(QPoint((width() - hint.width()) / 2, layoutLines().bottom), hint));
    }

    void paintEvent(QPaintEvent*) override {
        if (!m_provider || !m_provider->snapshot()) return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const Lines lines = layoutLines();
        const WeatherSnapshot& s = *m_provider->snapshot();
        const double symbol = Symbols::sideForFontSize(30);
        Symbols::paint(p, QRectF((width() - symbol) / 2, lines.symbolTop, symbol, symbol), s.symbolName,
                       Vesk::Stone::x100);
        double y = lines.symbolTop + symbol + 6;
        const auto line = [&](const QString& text, const QFont& font, const QColor& colour) {
            const QFontMetricsF metrics(font);
            p.setFont(font);
            p.setPen(colour);
            p.drawText(QRectF(6, y, width() - 12, metrics.height()), Qt::AlignHCenter | Qt::AlignTop,
                       metrics.elidedText(text, Qt::ElideRight, width() - 12));
            y += metrics.height();
        };
        for (const Line& text : readingLines(s)) {
            line(text.text, text.font, text.colour);
            if (text.gapAfter) y += 6;
        }
    }

private:
    struct Lines {
        double symbolTop = 0;
        int bottom = 0;
    };

    // The stack centred vertically: symbol, 6, temperature, 6, the small lines, 6, attribution.
    Lines layoutLines() const {
        Lines lines;
        if (!m_provider || !m_provider->snapshot()) return lines;
        double height = Symbols::sideForFontSize(30) + 6;
        for (const Line& text : readingLines(*m_provider->snapshot()))
            height += QFontMetricsF(text.font).height() + (text.gapAfter ? 6 : 0);
        height += 6;
        const double total = height + m_attribution->sizeHint().height();
        lines.symbolTop = std::max(0.0, (this->height() - total) / 2);
        lines.bottom = int(std::round(lines.symbolTop + height));
        return lines;
    }

    QPointer<WeatherProvider> m_provider;
    AttributionButton* m_attribution;
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
        m_stateTexts = {QStringLiteral("Location is off for VeskNotch"),
                        QStringLiteral("Turn it on in your desktop's settings.")};
        content = new WidgetEmptyState(
            QStringLiteral("location.slash"), QStringLiteral("Location is off for VeskNotch"),
            QStringLiteral("Turn it on in your desktop's settings."),
            WidgetEmptyState::Action{QStringLiteral("Open Settings"), [&env] {
                                         if (env.openPrivacyPane)
                                             env.openPrivacyPane(QStringLiteral("Privacy_LocationServices"));
                                     }});
        break;
    }
    case Shown::failed:
        m_stateTexts = {QStringLiteral("Couldn't load the forecast"), failure};
        content = new WidgetEmptyState(QStringLiteral("cloud.slash"),
                                       QStringLiteral("Couldn't load the forecast"), failure);
        break;
    }
    m_frame = new WidgetFrame(QStringLiteral("Weather"), nullptr, Qt::AlignCenter, content, this);
    m_frame->setGeometry(rect());
    m_frame->show();
}

QStringList WeatherWidget::texts() const {
    if (m_shown != Shown::reading || !m_provider || !m_provider->snapshot()) return m_stateTexts;
    QStringList texts;
    for (const Line& line : readingLines(*m_provider->snapshot()))
        texts << line.text;
    return texts;
}

void WeatherWidget::resizeEvent(QResizeEvent* event) {
    DeskWidget::resizeEvent(event);
    if (m_frame) m_frame->setGeometry(rect());
}

} // namespace vesk
