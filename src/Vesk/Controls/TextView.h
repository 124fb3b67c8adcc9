#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

class QTextLayout;

namespace vesk {

// A piece of text in one font and colour, drawn at the dimming opacity: one line, or
// wrapped onto as many lines as it needs (the height follows the width). The settings
// window draws all its text with it, so dimming reaches every label.
class TextView final : public QWidget {
    Q_OBJECT
public:
    TextView(const QString& text, const QFont& font, const QColor& color, QWidget* parent = nullptr);

    const QString& text() const { return m_text; }
    void setText(const QString& text);
    void setColor(const QColor& color);
    const QColor& color() const { return m_color; }
    void setFont(const QFont& font);
    // Wrapped text takes the width offered, up to maxWidth when one is set.
    void setWrapping(bool wrap, int maxWidth = QWIDGETSIZE_MAX);
    // Extra spacing between letters, in pixels (negative tightens).
    void setTracking(double tracking);
    // Extra space between wrapped lines, in pixels.
    void setLineSpacing(double spacing);
    void setAlignment(Qt::Alignment alignment);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return m_wrap; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QFont effectiveFont() const;
    // Lays the wrapped text out at `width`, lines `m_lineSpacing` apart; its height.
    double layOut(QTextLayout& layout, double width) const;
    void changed();

    QString m_text;
    QFont m_font;
    QColor m_color;
    bool m_wrap = false;
    int m_maxWidth = QWIDGETSIZE_MAX;
    double m_tracking = 0;
    double m_lineSpacing = 0;
    Qt::Alignment m_alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

} // namespace vesk
