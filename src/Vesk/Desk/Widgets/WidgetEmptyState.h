#pragma once

#include <QRectF>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QAbstractButton;

namespace vesk {

// The centred placeholder a widget shows when it has nothing to list: a symbol, a
// message, an optional brighter second line and an optional capsule button. The texts
// wrap to the width and are never cut; an absent line or button leaves no gap.
class WidgetEmptyState : public QWidget {
    Q_OBJECT

public:
    struct Action {
        QString title;
        std::function<void()> perform;
    };

    static constexpr double spacing = 8;
    static constexpr double textSpacing = 1;
    static constexpr double horizontalPadding = 8;
    static constexpr double symbolFontSize = 20;
    static constexpr double textFontSize = 12;

    WidgetEmptyState(const QString& symbol, const QString& message, const std::optional<QString>& detail = {},
                     std::optional<Action> action = {}, QWidget* parent = nullptr);

    QAbstractButton* actionButton() const { return m_button; }

    // Where each part is drawn, in this view's coordinates; empty when absent.
    QRectF symbolRect() const;
    QRectF messageRect() const;
    QRectF detailRect() const;

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Parts {
        QRectF symbol;
        QRectF message;
        QRectF detail;
        QRectF button;
        double height = 0;
    };
    Parts layoutFor(double width) const;
    // The parts placed in this view: centred vertically.
    Parts placed() const;

    QString m_symbol;
    QString m_message;
    std::optional<QString> m_detail;
    std::optional<Action> m_action;
    QAbstractButton* m_button = nullptr;
};

} // namespace vesk
