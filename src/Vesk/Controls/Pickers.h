#pragma once

#include "Vesk/Controls/SettingBinding.h"
#include "Vesk/Controls/TrayDropMode.h"

#include <QAbstractButton>
#include <QList>
#include <QWidget>

#include <functional>

class QPainter;

namespace vesk {

class SettingsStore;
class TextView;

// One tile of a picker: its value (raw) and its title.
struct PickerOption {
    QString value;
    QString title;
};

// A sample drawn in a tile, centred in the box, for a value.
using PreviewPainter = std::function<void(QPainter&, const QRectF&, const QString& value)>;

// A labelled row of tiles, each a sample of its value above the value's title; the tile
// of the stored value is outlined in the accent (none when the stored value is not
// offered). Pressing a tile writes its value, the selected one again too.
class PreviewPicker final : public QWidget {
    Q_OBJECT
public:
    PreviewPicker(const QString& label, SettingsStore& settings, const SettingBinding& binding,
                  const QList<PickerOption>& options, PreviewPainter preview, QWidget* parent = nullptr);

    QList<QAbstractButton*> tiles() const { return m_tiles; }
    // The index of the selected tile; -1 when none is.
    int selectedIndex() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<QAbstractButton*> m_tiles;
};

// The mode of a Boolean setting: `whenTrue` while it is true, the other mode while false.
SettingBinding trayDropModeBinding(SettingsStore& settings, const QString& key, TrayDropMode whenTrue);

// A labelled row of two text tiles, "Copy" and "Move", over a TrayDropMode binding.
class SettingsPicker final : public QWidget {
    Q_OBJECT
public:
    SettingsPicker(const QString& label, SettingsStore& settings, const SettingBinding& binding,
                   QWidget* parent = nullptr);

    QAbstractButton* tile(TrayDropMode mode) const { return m_tiles.at(int(mode)); }

private:
    QList<QAbstractButton*> m_tiles;
};

} // namespace vesk
