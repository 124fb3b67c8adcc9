#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

namespace vesk {

// A symbol on its own, in a square as wide as it is beside text of `size`, drawn at the
// dimming opacity (full opacity where nothing above it is dimmed).
class SymbolView final : public QWidget {
public:
    SymbolView(QString name, double size, QColor color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_name;
    QColor m_color;
};

} // namespace vesk
