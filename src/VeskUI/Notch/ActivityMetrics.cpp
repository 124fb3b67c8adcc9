#include "VeskUI/Notch/ActivityMetrics.h"

#include "VeskUI/Notch/Percent.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <algorithm>
#include <cmath>

namespace vesk::ActivityMetrics {

// The pill draws its texts in these same styles.
const QFont& titleFont() {
    return Vesk::Type_::activityTitle();
}

const QFont& subtitleFont() {
    return Vesk::Type_::activitySubtitle();
}

const QFont& trailingFont() {
    static const QFont font = systemFont(11, QFont::Medium);
    return font;
}

double measuredWidth(const QString& text, const QFont& font, const TextMeasurer& measurer) {
    const double width = measurer.width(text, font);
    return std::isfinite(width) && width > 0 ? std::ceil(width) : 0;
}

double leadingWidth(const ActivityPayload& payload, bool expanded, const TextMeasurer& measurer) {
    double glyph = 0;
    if (payload.leading.kind() == ActivityGlyph::Kind::artwork)
        glyph = std::max(glyphWidth, (expanded ? expandedArtworkSide : compactArtworkSide) + leadingSpacing);
    else if (payload.leading.kind() != ActivityGlyph::Kind::none)
        glyph = glyphWidth;
    const double title = payload.title ? measuredWidth(*payload.title, titleFont(), measurer) : 0;
    double text = 0;
    if (expanded) {
        const double subtitle =
            payload.subtitle ? measuredWidth(*payload.subtitle, subtitleFont(), measurer) : 0;
        text = std::max(title, subtitle);
    } else if (!payload.subtitle) {
        // A compact pill with a subtitle shows no text at all.
        text = title;
    }
    return glyph + text;
}

double trailingWidth(const ActivityTrailing& trailing, const TextMeasurer& measurer) {
    switch (trailing.kind()) {
    case ActivityTrailing::Kind::bar:
        return barWidth;
    case ActivityTrailing::Kind::percent:
        return measuredWidth(percentText(trailing.value()), trailingFont(), measurer) + trailingTextPadding;
    case ActivityTrailing::Kind::waveform:
        return waveformWidth;
    case ActivityTrailing::Kind::text:
        return measuredWidth(trailing.text(), trailingFont(), measurer) + trailingTextPadding;
    case ActivityTrailing::Kind::none:
        return 0;
    }
    return 0;
}

double width(const ActivityPayload& payload, bool expanded, double cutoutWidth, double chromePadding,
             const TextMeasurer& measurer) {
    const double side =
        std::max(leadingWidth(payload, expanded, measurer), trailingWidth(payload.trailing, measurer)) +
        sidePadding;
    const double halves = side >= minSide ? 2 * std::min(side, maxSide) : 2 * minSide;
    return halves + cutoutWidth + chromePadding;
}

} // namespace vesk::ActivityMetrics
