#pragma once

#include <QMargins>
#include <QWidget>

class QPainter;
class QVBoxLayout;

namespace vesk {

// The rounded dark card that stacks a pane's rows with no gap between them. Its soft
// shadow is painted in the widget's own margins above and below; at the sides the card
// keeps the column's full width, in line with the notices and footnotes around it.
class SettingsCard : public QWidget {
    Q_OBJECT
public:
    static constexpr double radius = 16;
    // Room for the shadow (black 0.22, radius 9, 3 lower) above and below the card.
    static constexpr QMargins shadowMargins{0, 2, 0, 9};

    explicit SettingsCard(QWidget* parent = nullptr);

    // Appends a row (or any view) to the card.
    void addRow(QWidget* row);
    QVBoxLayout* rows() const { return m_rows; }

    // The card's rounded rectangle in its own coordinates.
    QRectF cardRect() const;
    // Clips the painter of a widget inside a card to the card's rounded outline, as
    // rows drawn into the card are.
    static void clipToCard(QPainter& painter, const QWidget* descendant);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVBoxLayout* m_rows;
};

} // namespace vesk
