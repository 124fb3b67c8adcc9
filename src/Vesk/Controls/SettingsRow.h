#pragma once

#include <QString>
#include <QWidget>

class QHBoxLayout;

namespace vesk {

class TextView;

// One labelled line of a card: the label at the leading edge, the control (a switch,
// a picker, a button, any view) at the trailing edge, an optional footnote under them,
// and a hairline along the bottom.
class SettingsRow : public QWidget {
    Q_OBJECT
public:
    SettingsRow(const QString& label, QWidget* control, const QString& footnote = QString(),
                QWidget* parent = nullptr);

    TextView* label() const { return m_label; }
    // Null without a footnote.
    TextView* footnote() const { return m_footnote; }
    QWidget* control() const { return m_control; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextView* m_label;
    TextView* m_footnote = nullptr;
    QWidget* m_control;
};

// The hairline rule in Ink 700 along a row's bottom edge, clipped to its card.
void paintRowRule(QWidget* row);

} // namespace vesk
