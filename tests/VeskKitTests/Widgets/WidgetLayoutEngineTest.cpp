#include "VeskKit/Widgets/WidgetLayoutEngine.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

using W = WidgetID;

const WidgetLayoutEngine engine{.cellWidth = 54, .gap = 22, .contentPadding = 18, .maxWidth = 1100};

QList<WidgetID> everyWidget() {
    const auto cases = allCases<WidgetID>();
    return QList<WidgetID>(cases.begin(), cases.end());
}

} // namespace

TEST(WidgetLayoutEngineTest, NormaliseKeepsFirstOccurrencesAndAppendsTheRest) {
    EXPECT_EQ(WidgetLayoutEngine::normalise({}), everyWidget());
    EXPECT_EQ(WidgetLayoutEngine::normalise({W::weather, W::media, W::weather}),
              (QList<W>{W::weather, W::media, W::calendar, W::todos, W::timer, W::notes, W::shortcuts,
                        W::mirror, W::quickApps, W::clipboard, W::audioDevice}));
}

TEST(WidgetLayoutEngineTest, MoveWithinTheNormalisedOrder) {
    const QList<W> order = everyWidget();
    EXPECT_EQ(WidgetLayoutEngine::move({W::weather}, -1, 0), WidgetLayoutEngine::normalise({W::weather}));
    EXPECT_EQ(WidgetLayoutEngine::move(order, 11, 0), order);

    QList<W> firstLast = order;
    firstLast.append(firstLast.takeFirst());
    EXPECT_EQ(WidgetLayoutEngine::move(order, 0, 99), firstLast);

    QList<W> lastFirst = order;
    lastFirst.prepend(lastFirst.takeLast());
    EXPECT_EQ(WidgetLayoutEngine::move(order, 10, -3), lastFirst);

    const QList<W> moved = WidgetLayoutEngine::move({W::notes, W::media}, 0, 1);
    EXPECT_EQ(moved.mid(0, 3), (QList<W>{W::media, W::notes, W::calendar}));
}

TEST(WidgetLayoutEngineTest, PlacesWidgetsWithGapsAndPadding) {
    const DeskLayout layout = engine.layout({W::media, W::todos}, {W::media, W::todos}, {}, 2000);
    EXPECT_EQ(layout.placements, (QList<WidgetPlacement>{{W::media, 5, 270, 18}, {W::todos, 4, 216, 310}}));
    EXPECT_EQ(layout.totalWidth, 544);
    EXPECT_TRUE(layout.overflow.isEmpty());

    // The user's order decides, whatever order the set is in.
    const DeskLayout reversed = engine.layout({W::todos}, {W::media, W::todos}, {}, 2000);
    EXPECT_EQ(reversed.placements, (QList<WidgetPlacement>{{W::todos, 4, 216, 18}, {W::media, 5, 270, 256}}));
}

TEST(WidgetLayoutEngineTest, OverflowsWhatDoesNotFit) {
    const DeskLayout narrow = engine.layout({}, {W::media, W::todos}, {}, 300);
    EXPECT_EQ(narrow.placements, (QList<WidgetPlacement>{{W::media, 5, 270, 18}}));
    EXPECT_EQ(narrow.overflow, QList<W>{W::todos});
    EXPECT_EQ(narrow.totalWidth, 300);

    // A later, narrower widget still fits after a wider one overflowed.
    // media 18..288, calendar would end at 310+270+18 = 598 > 500, mirror 310+108+18 = 436.
    const DeskLayout skip = engine.layout({}, {W::media, W::calendar, W::mirror}, {}, 500);
    EXPECT_EQ(skip.placements, (QList<WidgetPlacement>{{W::media, 5, 270, 18}, {W::mirror, 2, 108, 310}}));
    EXPECT_EQ(skip.overflow, QList<W>{W::calendar});
    EXPECT_EQ(skip.totalWidth, 436);

    // A widget that ends exactly at the limit fits.
    const DeskLayout exact = engine.layout({}, {W::media, W::todos}, {}, 544);
    EXPECT_TRUE(exact.overflow.isEmpty());
    EXPECT_EQ(exact.totalWidth, 544);
}

TEST(WidgetLayoutEngineTest, FirstWidgetIsAlwaysPlacedAndWidthNeverExceedsTheLimit) {
    const DeskLayout layout = engine.layout({}, {W::clipboard}, {{W::clipboard, 8}}, 200);
    EXPECT_EQ(layout.placements, (QList<WidgetPlacement>{{W::clipboard, 8, 432, 18}}));
    EXPECT_EQ(layout.totalWidth, 200);

    // maxWidth bounds the row: media, calendar, to-dos and timer end at 1056 + 18.
    const QList<W> all = everyWidget();
    const DeskLayout capped = engine.layout(all, QSet<W>(all.begin(), all.end()), {}, 5000);
    EXPECT_EQ(capped.placements.size(), 4);
    EXPECT_EQ(capped.totalWidth, 1074);
    EXPECT_EQ(capped.overflow, all.mid(4));
}

TEST(WidgetLayoutEngineTest, StoredCellsAreClamped) {
    const DeskLayout layout = engine.layout({W::weather, W::notes}, {W::weather, W::notes},
                                            {{W::weather, 0}, {W::notes, 20}}, 2000);
    EXPECT_EQ(layout.placements, (QList<WidgetPlacement>{{W::weather, 2, 108, 18}, {W::notes, 8, 432, 148}}));
}

TEST(WidgetLayoutEngineTest, NothingEnabledIsEmpty) {
    const DeskLayout layout = engine.layout(everyWidget(), {}, {}, 2000);
    EXPECT_TRUE(layout.isEmpty());
    EXPECT_EQ(layout, DeskLayout{});
}
