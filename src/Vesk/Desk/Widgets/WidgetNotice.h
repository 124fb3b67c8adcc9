#pragma once

#include <QString>
#include <QWidget>

namespace vesk {

// A short notice that sits beside a widget's content instead of replacing it: a small
// symbol, a message and a brighter detail under it, left-aligned. The texts wrap to the
// width and are never cut.
class WidgetNotice : public QWidget {
    Q_OBJECT

public:
    static constexpr double fontSize = 10.5;
    static constexpr double symbolGap = 5;

    WidgetNotice(const QString& symbol, const QString& message, const QString& detail,
                 QWidget* parent = nullptr);

    const QString& message() const { return m_message; }
    const QString& detail() const { return m_detail; }

    QSize sizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_symbol;
    QString m_message;
    QString m_detail;
};

} // namespace vesk
