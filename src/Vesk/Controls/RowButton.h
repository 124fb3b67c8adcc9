#pragma once

#include <QAbstractButton>

namespace vesk {

// A list row of a card that is one button, laid out by the caller: a left press and a
// release inside it click it, as does Space once Tab gave it focus; its hairline runs
// along the bottom and a focused row is tinted.
class RowButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit RowButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vesk
