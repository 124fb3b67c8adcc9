#pragma once

#include <QAbstractButton>

namespace vesk {

// The accent capsule button of the settings panes: 11 pt semibold black text on the
// accent, a shade darker while pressed, padded 12 and 5; dimmed while disabled.
class SmallAccentButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit SmallAccentButton(const QString& text, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vesk
