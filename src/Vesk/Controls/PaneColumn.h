#pragma once

#include <QWidget>

class QVBoxLayout;

namespace vesk {

class TextView;

// A pane's body: one column, leading-aligned, 18 points between its items (section
// titles, cards, notices, footnotes).
class PaneColumn : public QWidget {
    Q_OBJECT
public:
    static constexpr int footnoteWidth = 430;

    explicit PaneColumn(QWidget* parent = nullptr, int spacing = 18);

    // Adds a widget that takes the column's width.
    QWidget* add(QWidget* widget);
    // A section title above the cards it names.
    TextView* addSection(const QString& title);
    // A footnote under a card, wrapped, at most 430 points wide.
    TextView* addFootnote(const QString& text);

    QVBoxLayout* column() const { return m_column; }

private:
    QVBoxLayout* m_column;
};

} // namespace vesk
