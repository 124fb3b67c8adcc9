#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>

namespace vesk {

// A flat text button: the onboarding's "Back" and "Open Settings", the panes' small links.
class PlainTextButton final : public QAbstractButton {
    Q_OBJECT
public:
    PlainTextButton(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont m_font;
    QColor m_color;
};

} // namespace vesk
