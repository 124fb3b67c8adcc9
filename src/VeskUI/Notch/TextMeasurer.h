#pragma once

#include <QFont>
#include <QString>

namespace vesk {

// Measures how wide a text is set in a font, in device-independent pixels. The notch
// sizes itself through this, so tests can measure with a fake.
class TextMeasurer {
public:
    virtual ~TextMeasurer() = default;
    virtual double width(const QString& text, const QFont& font) const = 0;

    // The real one, over QFontMetricsF.
    static const TextMeasurer& system();
};

} // namespace vesk
