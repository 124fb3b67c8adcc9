#pragma once

#include <QString>
#include <QtGlobal>

namespace vesk {

// The whole percentage a level in [0, 1] reads as, rounded toward zero: 0.999 reads 99.
// Levels arrive as binary doubles, so 0.29 × 100 is 28.999999999999996; a nudge of
// 1e-9 away from zero lets it read 29 without lifting any real fraction to the next
// whole number. A level that is not finite, or too large for the result, reads 0.
qint64 percentValue(double level);

// percentValue followed by a percent sign ("29%"): the text the notch draws and the
// text it measures to size itself.
QString percentText(double level);

} // namespace vesk
