#include "VeskUI/Notch/TextMeasurer.h"

#include <QFontMetricsF>

namespace vesk {

namespace {

class FontMetricsMeasurer final : public TextMeasurer {
public:
    double width(const QString& text, const QFont& font) const override {
        return QFontMetricsF(font).horizontalAdvance(text);
    }
};

} // namespace

const TextMeasurer& TextMeasurer::system() {
    static const FontMetricsMeasurer measurer;
    return measurer;
}

} // namespace vesk
