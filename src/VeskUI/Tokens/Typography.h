#pragma once

#include <QFont>
#include <QStringList>

namespace vesk {

// The designs of the system font family.
enum class FontDesign { default_, rounded, monospaced };

// The system font at `size` points, where a point is one device-independent pixel as
// every other length in the layout is. Text uses Inter (fonts-inter); no packaged
// font has a rounded design of it, so rounded text uses the same family. Monospaced
// text uses DejaVu Sans Mono. Qt 6.4 cannot switch on tabular figures and Inter's
// digits are proportional, so text that asks for monospaced digits uses DejaVu Sans,
// whose digits share one width. Every family list ends in fallbacks, so a missing font
// changes the look but never draws boxes.
QFont systemFont(double size, QFont::Weight weight = QFont::Normal, FontDesign design = FontDesign::default_,
                 bool monospacedDigits = false);

// The families systemFont asks for, most wanted first.
QStringList systemFontFamilies(FontDesign design, bool monospacedDigits = false);

} // namespace vesk
