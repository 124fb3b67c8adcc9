#include "VeskKit/Widgets/DeskLayout.h"

#include "support/RawValues.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(WidgetIDTest, IdsAreExactAndDefaultSizesLieInTheirRanges) {
    test::expectExactRawValues<WidgetID>();
    for (const WidgetID widget : allCases<WidgetID>()) {
        SCOPED_TRACE(id(widget).toStdString());
        EXPECT_EQ(id(widget), toRaw(widget));
        EXPECT_LE(minCells(widget), defaultCells(widget));
        EXPECT_LE(defaultCells(widget), maxCells(widget));
        EXPECT_GT(preferredHeight(widget), 0);
    }
}
