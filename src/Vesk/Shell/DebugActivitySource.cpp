#include "Vesk/Shell/DebugActivitySource.h"

namespace vesk {

ActivityPayload DebugActivitySource::make(ActivityKind kind, Date now) {
    using G = ActivityGlyph;
    using T = ActivityTrailing;
    using P = ActivityPriority;
    auto sample = [&](P priority, QString dedupeKey, ActivityGlyph leading, std::optional<QString> title,
                      std::optional<QString> subtitle, ActivityTrailing trailing, double duration) {
        return ActivityPayload{.id = QUuid::createUuid(),
                               .kind = kind,
                               .priority = priority,
                               .dedupeKey = std::move(dedupeKey),
                               .leading = std::move(leading),
                               .title = std::move(title),
                               .subtitle = std::move(subtitle),
                               .trailing = std::move(trailing),
                               .duration = duration,
                               .interaction = std::nullopt,
                               .createdAt = now};
    };
    switch (kind) {
    case ActivityKind::sound:
        return sample(P::interrupt, QStringLiteral("sound"), G::symbol(QStringLiteral("speaker.wave.2.fill")),
                      QStringLiteral("Built-in Speakers"), std::nullopt, T::bar(0.62), 1.5);
    case ActivityKind::display:
        return sample(P::interrupt, QStringLiteral("display"), G::symbol(QStringLiteral("sun.max.fill")),
                      QStringLiteral("Built-in Display"), std::nullopt, T::bar(0.8), 1.5);
    case ActivityKind::nowPlaying:
        return sample(P::ambient, QStringLiteral("np"), G::symbol(QStringLiteral("music.note")),
                      QStringLiteral("Sample Track"), QStringLiteral("Sample Artist"), T::waveform(true),
                      3.0);
    case ActivityKind::battery:
        return sample(P::queued, QStringLiteral("battery-charging"),
                      G::symbolTinted(QStringLiteral("bolt.fill"), TintName::sage),
                      QStringLiteral("Charging"), QStringLiteral("1 hr 12 min to full"), T::percent(0.64),
                      5.0);
    case ActivityKind::connectivity:
        return sample(P::queued, QStringLiteral("bt-airpods"), G::symbol(QStringLiteral("airpods.gen3")),
                      QStringLiteral("AirPods Pro"), QStringLiteral("Connected"), T::percent(0.87), 5.0);
    case ActivityKind::focus:
        return sample(P::queued, QStringLiteral("focus"),
                      G::symbolTinted(QStringLiteral("moon.fill"), TintName::slate), QStringLiteral("Focus"),
                      QStringLiteral("Do Not Disturb on"), T::none(), 5.0);
    case ActivityKind::fileTray:
        return sample(P::queued, QStringLiteral("tray"), G::symbol(QStringLiteral("tray.fill")),
                      QStringLiteral("3 files added"), std::nullopt, T::text(QStringLiteral("3")), 4.0);
    case ActivityKind::timerEnded:
        return sample(P::interrupt, QStringLiteral("timer"),
                      G::symbolTinted(QStringLiteral("timer"), TintName::amber),
                      QStringLiteral("Timer finished"), QStringLiteral("Tea"), T::none(), 6.0);
    default:
        return sample(P::queued, QString(), G::symbol(symbol(kind)), displayName(kind), std::nullopt,
                      T::none(), 4.0);
    }
}

} // namespace vesk
