#include "VeskKit/Pipeline/DropLane.h"

#include "support/RawValues.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace vesk;

TEST(DropLaneTest, PipelineLanesShowTheirPipeline) {
    test::expectExactRawValues<PipelineID>();
    for (const PipelineID pipeline : allCases<PipelineID>()) {
        const DropLane lane = DropLane::pipeline(pipeline);
        SCOPED_TRACE(toRaw(pipeline).toStdString());
        EXPECT_EQ(lane.id(), id(pipeline));
        EXPECT_EQ(lane.displayName(), displayName(pipeline));
        EXPECT_EQ(lane.symbol(), symbol(pipeline));
        EXPECT_FALSE(lane.isPrimary());
    }
}

TEST(DropLaneTest, PrimaryLanesAndEquality) {
    for (const DropLane& lane : {DropLane::shelf(), DropLane::airDrop()})
        EXPECT_TRUE(lane.isPrimary());
    EXPECT_NE(DropLane::shelf().id(), DropLane::airDrop().id());
    const QSet<DropLane> lanes{DropLane::shelf(), DropLane::shelf(), DropLane::pipeline(PipelineID::zip),
                               DropLane::pipeline(PipelineID::zip), DropLane::pipeline(PipelineID::unzip)};
    EXPECT_EQ(lanes.size(), 3);
    EXPECT_FALSE(lanes.contains(DropLane::airDrop()));
}
