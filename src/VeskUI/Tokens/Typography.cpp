#include "VeskUI/Tokens/Typography.h"

#include <QtMath>

namespace vesk {

QStringList systemFontFamilies(FontDesign design, bool monospacedDigits) {
    if (design == FontDesign::monospaced)
        return {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"),
                QStringLiteral("monospace")};
    if (monospacedDigits) return {QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")};
    return {QStringLiteral("Inter"), QStringLiteral("DejaVu Sans"), QStringLiteral("sans-serif")};
}

QFont systemFont(double size, QFont::Weight weight, FontDesign design, bool monospacedDigits) {
    QFont font;
    font.setFamilies(systemFontFamilies(design, monospacedDigits));
    font.setStyleHint(design == FontDesign::monospaced ? QFont::Monospace : QFont::SansSerif);
    font.setFixedPitch(design == FontDesign::monospaced);
    // Pixel sizes keep text in proportion to the layout whatever the screen's DPI;
    // half sizes round up.
    font.setPixelSize(std::max(1, qRound(std::isfinite(size) ? size : 13.0)));
    font.setWeight(weight);
    return font;
}

} // namespace vesk
