#include "VeskServices/Pipelines/PipelineRunState.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(PipelineResultTest, SummaryNamesOneFileCountsSeveralOrFallsBackToTheTitle) {
    PipelineResult result{.pipeline = PipelineID::zip, .title = u"Zip"_qs, .produced = {}, .inputCount = 2};
    EXPECT_EQ(result.summary(), u"Zip"_qs);
    result.produced = {QUrl::fromLocalFile(u"/tmp/out/Archive.zip"_qs)};
    EXPECT_EQ(result.summary(), u"Archive.zip"_qs);
    result.produced = {QUrl::fromLocalFile(u"/tmp/out/Unzipped/"_qs)};
    EXPECT_EQ(result.summary(), u"Unzipped"_qs);
    result.produced = {QUrl::fromLocalFile(u"/a.png"_qs), QUrl::fromLocalFile(u"/b.png"_qs),
                       QUrl::fromLocalFile(u"/c.png"_qs)};
    EXPECT_EQ(result.summary(), u"3 files"_qs);
}

TEST(PipelineResultTest, RunStatesCompareByCaseAndValues) {
    EXPECT_EQ(PipelineRunState(), PipelineRunState::idle());
    EXPECT_EQ(PipelineRunState::running(u"Compress"_qs, 0, {}),
              PipelineRunState::running(u"Compress"_qs, 0, {}));
    EXPECT_NE(PipelineRunState::running(u"Compress"_qs, 0, {}),
              PipelineRunState::running(u"Compress"_qs, 0.5, u"b.png"_qs));
    EXPECT_NE(PipelineRunState::failed(u"Nothing to work on"_qs), PipelineRunState::idle());
    EXPECT_TRUE(PipelineRunState::running(u"Zip"_qs, 1, u"Done"_qs).isRunning());
}
