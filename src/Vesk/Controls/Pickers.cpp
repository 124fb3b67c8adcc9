#include "Vesk/Controls/Pickers.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/TextView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

constexpr double sampleHeight = 30;
constexpr double titleGap = 5;

QFont tileTitleFont(bool selected, double size) {
    return systemFont(size, selected ? QFont::DemiBold : QFont::Normal);
}

// A tile of a picker row: checked while its value is stored; the row, not the button
// group, decides which one that is.
class PickerTile : public QAbstractButton {
public:
    explicit PickerTile(QWidget* parent) : QAbstractButton(parent) {
        setCheckable(true);
        setAutoExclusive(false);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
};

// The label over a row of tiles, the row filled by the caller.
QHBoxLayout* labelledTileRow(QWidget* picker, const QString& label, const QMargins& margins) {
    auto* column = new QVBoxLayout(picker);
    column->setContentsMargins(margins);
    column->setSpacing(8);
    column->addWidget(new TextView(label, Vesk::Type_::settingsRow(), Vesk::Stone::x100));
    auto* row = new QHBoxLayout;
    row->setSpacing(8);
    column->addLayout(row);
    return row;
}

// Puts a tile in the row, named after its setting and value; pressing it writes the value.
void addTile(QHBoxLayout* row, QList<QAbstractButton*>& tiles, QAbstractButton* tile,
             const SettingBinding& binding, const QString& value) {
    tile->setObjectName(binding.key + QLatin1Char('.') + value);
    row->addWidget(tile, 1);
    tiles.append(tile);
    QObject::connect(tile, &QAbstractButton::clicked, tile, [write = binding.write, value] { write(value); });
}

// A preview tile: the sample in a black rounded box, the title under it.
class PreviewTile final : public PickerTile {
public:
    PreviewTile(PickerOption option, PreviewPainter preview, QWidget* parent)
        : PickerTile(parent), m_option(std::move(option)), m_preview(std::move(preview)) {}
    const QString& value() const { return m_option.value; }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(tileTitleFont(true, 10));
        return {60, int(std::ceil(sampleHeight + titleGap + metrics.height()))};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        dimming::apply(painter, this);
        const bool selected = isChecked();
        const QRectF box(0.75, 0.75, width() - 1.5, sampleHeight - 1.5);
        painter.setPen(selected ? QPen(Vesk::Accent::x500, 1.5) : QPen(Vesk::Ink::x700, 1));
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(box, 7, 7);
        if (m_preview) m_preview(painter, QRectF(0, 0, width(), sampleHeight), m_option.value);
        painter.setFont(tileTitleFont(selected, 10));
        painter.setPen(selected ? Vesk::Stone::x100 : Vesk::Stone::x400);
        painter.drawText(QRectF(0, sampleHeight + titleGap, width(), height() - sampleHeight - titleGap),
                         Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, m_option.title);
    }

private:
    PickerOption m_option;
    PreviewPainter m_preview;
};

// A copy-or-move tile: title and subtitle on a rounded fill, the accent when selected.
class ModeTile final : public PickerTile {
public:
    ModeTile(QString title, QString subtitle, QWidget* parent)
        : PickerTile(parent), m_title(std::move(title)), m_subtitle(std::move(subtitle)) {}
    QSize sizeHint() const override {
        const double lines = QFontMetricsF(systemFont(12, QFont::DemiBold)).height() + 1 +
                             QFontMetricsF(systemFont(10)).height();
        return {100, int(std::ceil(lines + 14))};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        dimming::apply(painter, this);
        const bool selected = isChecked();
        painter.setPen(Qt::NoPen);
        painter.setBrush(selected ? Vesk::Accent::x500 : Vesk::Ink::x800);
        painter.drawRoundedRect(QRectF(rect()), 8, 8);
        const QColor ink = selected ? Vesk::Accent::on : Vesk::Stone::x200;
        const QFont titleFont = systemFont(12, QFont::DemiBold);
        const double titleHeight = QFontMetricsF(titleFont).height();
        painter.setPen(ink);
        painter.setFont(titleFont);
        painter.drawText(QRectF(11, 7, width() - 22, titleHeight), Qt::AlignLeft | Qt::TextSingleLine,
                         m_title);
        painter.setOpacity(painter.opacity() * 0.75);
        painter.setFont(systemFont(10));
        painter.drawText(QRectF(11, 7 + titleHeight + 1, width() - 22, height()),
                         Qt::AlignLeft | Qt::AlignTop, m_subtitle);
    }

private:
    QString m_title;
    QString m_subtitle;
};

} // namespace

PreviewPicker::PreviewPicker(const QString& label, SettingsStore& settings, const SettingBinding& binding,
                             const QList<PickerOption>& options, PreviewPainter preview, QWidget* parent)
    : QWidget(parent) {
    setObjectName(binding.key + QStringLiteral("Picker"));
    QHBoxLayout* row = labelledTileRow(this, label, QMargins(12, 10, 12, 10));
    for (const PickerOption& option : options)
        addTile(row, m_tiles, new PreviewTile(option, preview, this), binding, option.value);
    followSetting(this, settings, {QString(), binding.read, binding.write}, [this](const QVariant& stored) {
        for (QAbstractButton* tile : m_tiles)
            tile->setChecked(static_cast<PreviewTile*>(tile)->value() == stored.toString());
    });
}

int PreviewPicker::selectedIndex() const {
    for (int i = 0; i < m_tiles.size(); ++i)
        if (m_tiles.at(i)->isChecked()) return i;
    return -1;
}

void PreviewPicker::paintEvent(QPaintEvent*) {
    paintRowRule(this);
}

SettingBinding trayDropModeBinding(SettingsStore& settings, const QString& key, TrayDropMode whenTrue) {
    const SettingBinding stored = SettingBinding::forKey(settings, key);
    const TrayDropMode whenFalse = whenTrue == TrayDropMode::copy ? TrayDropMode::move : TrayDropMode::copy;
    return {key,
            [read = stored.read, whenTrue, whenFalse] {
                return QVariant(toRaw(read().toBool() ? whenTrue : whenFalse));
            },
            [write = stored.write, whenTrue](const QVariant& mode) {
                if (const auto parsed = fromRaw<TrayDropMode>(mode.toString())) write(*parsed == whenTrue);
            }};
}

SettingsPicker::SettingsPicker(const QString& label, SettingsStore& settings, const SettingBinding& binding,
                               QWidget* parent)
    : QWidget(parent) {
    setObjectName(binding.key + QStringLiteral("Picker"));
    QHBoxLayout* row = labelledTileRow(this, label, QMargins(14, 12, 14, 4));
    const struct {
        TrayDropMode mode;
        const char* title;
        const char* subtitle;
    } modes[] = {{TrayDropMode::copy, "Copy", "keep the original"},
                 {TrayDropMode::move, "Move", "remove the original"}};
    for (const auto& mode : modes)
        addTile(row, m_tiles,
                new ModeTile(QString::fromUtf8(mode.title), QString::fromUtf8(mode.subtitle), this), binding,
                toRaw(mode.mode));
    followSetting(this, settings, {QString(), binding.read, binding.write}, [this](const QVariant& stored) {
        const auto mode = fromRaw<TrayDropMode>(stored.toString());
        for (int i = 0; i < m_tiles.size(); ++i)
            m_tiles.at(i)->setChecked(mode && int(*mode) == i);
    });
}

} // namespace vesk
