#pragma once

#include "Vesk/Controls/SettingBinding.h"

#include <QWidget>

namespace vesk {

class SettingsStore;
class TextView;

// The bare slider under a ValueSlider's label: 1000 steps across its range, a track
// filled with the accent up to a white knob. Only the user's drags, clicks and keys
// emit `moved`; setValue shows a value (clamped to the range) and emits nothing.
class SliderTrack final : public QWidget {
    Q_OBJECT
public:
    static constexpr int steps = 1000;

    SliderTrack(double lowest, double highest, QWidget* parent = nullptr);

    double lowest() const { return m_lowest; }
    double highest() const { return m_highest; }
    double value() const;
    void setValue(double value);
    // The knob's place, 0 … steps.
    int position() const { return m_position; }
    QRectF knobRect() const;

    QSize sizeHint() const override { return {200, 20}; }

Q_SIGNALS:
    void moved(double value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double trackLeft() const;
    double trackWidth() const;
    void moveTo(int position);
    void moveToX(double x);

    double m_lowest;
    double m_highest;
    int m_position = 0;
};

// A labelled slider row: the label and a pill with the value at the top, the slider
// under them, a hairline at the bottom. The slider writes doubles with whatever
// fraction the drag gives; the pill shows the value truncated toward zero.
class ValueSlider final : public QWidget {
    Q_OBJECT
public:
    ValueSlider(const QString& label, SettingsStore& settings, const SettingBinding& binding, double lowest,
                double highest, const QString& suffix, QWidget* parent = nullptr);

    // The pill's text for a value: truncated toward zero and followed by the suffix; a
    // value no 64-bit integer holds (or none at all) shows as the nearest bound.
    static QString pillText(double value, double lowest, double highest, const QString& suffix);

    TextView* label() const { return m_label; }
    SliderTrack* track() const { return m_track; }
    QString pill() const { return m_pillText; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void show(double value);

    double m_lowest;
    double m_highest;
    QString m_suffix;
    QString m_pillText;
    TextView* m_label;
    QWidget* m_pill;
    SliderTrack* m_track;
};

} // namespace vesk
