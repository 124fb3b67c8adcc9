#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskUI/Notch/TextMeasurer.h"

#include <QFont>

// How wide the notch grows to show an activity: the wider of its leading and trailing
// sides, the same on both sides of the camera cutout, between 70 and 320 points each.
namespace vesk::ActivityMetrics {

inline constexpr double glyphWidth = 27; // any leading glyph but artwork
// Artwork is drawn larger than a symbol, so it takes its own side and the gap before
// the text; measuring it as a symbol cut the end off the title beside it.
inline constexpr double compactArtworkSide = 22;
inline constexpr double expandedArtworkSide = 34;
inline constexpr double leadingSpacing = 9;
inline constexpr double barWidth = 88;      // a level bar
inline constexpr double waveformWidth = 42; // the playback waveform
inline constexpr double trailingTextPadding = 8;
inline constexpr double sidePadding = 14;
inline constexpr double minSide = 70;
inline constexpr double maxSide = 320;

// The width of the notch canvas for `payload`.
double width(const ActivityPayload& payload, bool expanded, double cutoutWidth, double chromePadding,
             const TextMeasurer& measurer = TextMeasurer::system());

// The glyph and, where the pill shows them, the texts at the leading side.
double leadingWidth(const ActivityPayload& payload, bool expanded,
                    const TextMeasurer& measurer = TextMeasurer::system());
// The trailing element; a percentage is measured as percentText draws it.
double trailingWidth(const ActivityTrailing& trailing, const TextMeasurer& measurer = TextMeasurer::system());

// A text's width in a font, rounded up to the next whole point.
double measuredWidth(const QString& text, const QFont& font,
                     const TextMeasurer& measurer = TextMeasurer::system());

// The fonts the texts are measured in: the title 13 semibold, the subtitle 11 regular,
// trailing texts 11 medium, all of the system font.
const QFont& titleFont();
const QFont& subtitleFont();
const QFont& trailingFont();

} // namespace vesk::ActivityMetrics
