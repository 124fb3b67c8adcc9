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
