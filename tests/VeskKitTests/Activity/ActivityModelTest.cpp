#include "VeskKit/Activity/ActivityPayload.h"

#include "support/RawValues.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(ActivityModelTest, RawValuesAreExactCaseNames) {
    test::expectExactRawValues<ActivityKind>();
    test::expectExactRawValues<TintName>();
    EXPECT_FALSE(fromRaw<ActivityKind>(u"idlelock"));

    // Priorities order by their raw values 0, 1, 2.
    for (int raw = 0; raw < 3; ++raw) {
        EXPECT_EQ(toRaw(allActivityPriorities[raw]), raw);
        EXPECT_EQ(activityPriorityFromRaw(raw), allActivityPriorities[raw]);
        if (raw > 0) {
            EXPECT_GT(allActivityPriorities[raw], allActivityPriorities[raw - 1]);
        }
    }
    EXPECT_FALSE(activityPriorityFromRaw(3));
    EXPECT_FALSE(activityPriorityFromRaw(-1));
}
