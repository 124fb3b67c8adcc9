#pragma once

#include <QPointer>
#include <QWidget>

namespace vesk {

// The container a widget's content sits in: the content stretched over the whole cell
// (placed by `alignment` where it cannot grow that far), an optional control in the
// top-right corner, and the title as the accessible name only. While the control shows,
// the content starts below it, so no row of the content lies under the control. It
// draws nothing of its own.
class WidgetFrame : public QWidget {
    Q_OBJECT

public:
    // Room between the control and the content below it.
    static constexpr int trailingGap = 2;

    // Takes ownership of `content` and `trailing` (which may be null).
    WidgetFrame(const QString& title, QWidget* trailing, Qt::Alignment alignment, QWidget* content,
                QWidget* parent = nullptr);

    // A frame over the whole of `host`, shown, that keeps to the host's size from then on:
    // for widgets that build their frame again whenever what they show changes.
    static WidgetFrame* filling(QWidget* host, const QString& title, QWidget* trailing,
                                Qt::Alignment alignment, QWidget* content);

    QString title() const { return accessibleName(); }
    QWidget* content() const { return m_content; }
    QWidget* trailing() const { return m_trailing; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QPointer<QWidget> m_content;
    QPointer<QWidget> m_trailing;
    Qt::Alignment m_alignment;
};

} // namespace vesk
