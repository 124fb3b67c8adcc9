#include "Vesk/Shell/DebugActivitySource.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct SampleRow {
    ActivityKind kind;
    ActivityPriority priority;
    QString dedupeKey;
    ActivityGlyph leading;
    std::optional<QString> title;
    std::optional<QString> subtitle;
    ActivityTrailing trailing;
    double duration;
};

TEST(DebugActivitySourceTest, EveryKindHasItsSample) {
    using G = ActivityGlyph;
    using T = ActivityTrailing;
    using P = ActivityPriority;
    using K = ActivityKind;
    const auto s = [](const char* text) { return QString::fromUtf8(text); };
    std::vector<SampleRow> rows = {
        {K::sound, P::interrupt, s("sound"), G::symbol(s("speaker.wave.2.fill")), s("MacBook Air Speakers"),
         std::nullopt, T::bar(0.62), 1.5},
        {K::display, P::interrupt, s("display"), G::symbol(s("sun.max.fill")), s("Built-in Display"),
         std::nullopt, T::bar(0.8), 1.5},
        {K::nowPlaying, P::ambient, s("np"), G::symbol(s("music.note")), s("Sample Track"),
         s("Sample Artist"), T::waveform(true), 3.0},
        {K::battery, P::queued, s("battery-charging"), G::symbolTinted(s("bolt.fill"), TintName::sage),
         s("Charging"), s("1 hr 12 min to full"), T::percent(0.64), 5.0},
        {K::connectivity, P::queued, s("bt-airpods"), G::symbol(s("airpods.gen3")), s("AirPods Pro"),
         s("Connected"), T::percent(0.87), 5.0},
        {K::focus, P::queued, s("focus"), G::symbolTinted(s("moon.fill"), TintName::slate), s("Focus"),
         s("Do Not Disturb on"), T::none(), 5.0},
        {K::fileTray, P::queued, s("tray"), G::symbol(s("tray.fill")), s("3 files added"), std::nullopt,
         T::text(s("3")), 4.0},
        {K::timerEnded, P::interrupt, s("timer"), G::symbolTinted(s("timer"), TintName::amber),
         s("Timer finished"), s("Tea"), T::none(), 6.0},
    };
    // The kinds without a row of their own: named by their display name and symbol.
    for (K kind :
         {K::keyboardBacklight, K::calendar, K::update, K::download, K::screenshot, K::weather, K::idleLock})
        rows.push_back({kind, P::queued, QString(), G::symbol(symbol(kind)), displayName(kind), std::nullopt,
                        T::none(), 4.0});
    ASSERT_EQ(rows.size(), allCases<ActivityKind>().size());

    const Date now{812345678.5};
    for (const SampleRow& row : rows) {
        SCOPED_TRACE(toRaw(row.kind).toStdString());
        const ActivityPayload sample = DebugActivitySource::make(row.kind, now);
        const ActivityPayload expected{.id = sample.id,
                                       .kind = row.kind,
                                       .priority = row.priority,
                                       .dedupeKey = row.dedupeKey,
                                       .leading = row.leading,
                                       .title = row.title,
                                       .subtitle = row.subtitle,
                                       .trailing = row.trailing,
                                       .duration = row.duration,
                                       .interaction = std::nullopt,
                                       .createdAt = now};
        EXPECT_EQ(sample, expected);
        EXPECT_FALSE(sample.id.isNull());
        EXPECT_NE(DebugActivitySource::make(row.kind, now).id, sample.id);
    }
}

} // namespace
} // namespace vesk
