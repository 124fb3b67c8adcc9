#include "Vesk/Shell/DebugActivitySource.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

// The samples' texts are demo data; what holds for every kind is checked here.
TEST(DebugActivitySourceTest, EveryKindHasAFreshSampleOfItsOwnKind) {
    const Date now{812345678.5};
    for (ActivityKind kind : allCases<ActivityKind>()) {
        SCOPED_TRACE(toRaw(kind).toStdString());
        const ActivityPayload sample = DebugActivitySource::make(kind, now);
        EXPECT_EQ(sample.kind, kind);
        EXPECT_EQ(sample.createdAt, now);
        EXPECT_GT(sample.duration, 0);
        EXPECT_TRUE(sample.title.has_value());
        EXPECT_FALSE(sample.id.isNull());
        EXPECT_NE(DebugActivitySource::make(kind, now).id, sample.id);
    }
    // A kind without a sample of its own is named by its display name and symbol.
    const ActivityPayload weather = DebugActivitySource::make(ActivityKind::weather, now);
    EXPECT_EQ(weather.title, displayName(ActivityKind::weather));
    EXPECT_EQ(weather.leading, ActivityGlyph::symbol(symbol(ActivityKind::weather)));
}

} // namespace
} // namespace vesk
