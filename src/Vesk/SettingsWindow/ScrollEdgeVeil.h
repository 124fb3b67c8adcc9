#pragma once

#include <QWidget>

namespace vesk {

// The band over the top of the detail area that scrolled content fades under: the
// window's colour at 0.55, full for the top 70 % and fading out below. Clicks pass
// through it.
class ScrollEdgeVeil final : public QWidget {
    Q_OBJECT
public:
    static constexpr int bandHeight = 48;

    explicit ScrollEdgeVeil(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace vesk
