#include "VeskKit/Pipeline/DropLane.h"

#include <gtest/gtest.h>

#include <QSet>

using namespace vesk;

TEST(DropLaneTest, PipelinesMatchTheCatalogueInDeclarationOrder) {
    struct Row {
        PipelineID id;
        const char* raw;
        const char* displayName;
        const char* symbol;
    };
    const Row rows[] = {
        {PipelineID::compressImage, "compressImage", "Compress image", "arrow.down.circle"},
        {PipelineID::convertFormat, "convertFormat", "Convert format", "arrow.triangle.2.circlepath"},
        {PipelineID::zip, "zip", "Zip", "doc.zipper"},
        {PipelineID::unzip, "unzip", "Unzip", "arrow.up.bin"},
        {PipelineID::stripEXIF, "stripEXIF", "Strip EXIF", "eye.slash"},
        {PipelineID::imagesToPDF, "imagesToPDF", "Images to PDF", "doc.richtext"},
        {PipelineID::rename, "rename", "Rename", "textformat"},
        {PipelineID::copyPaths, "copyPaths", "Copy path", "doc.on.clipboard"},
    };
    const auto cases = allCases<PipelineID>();
    ASSERT_EQ(cases.size(), std::size(rows));
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Row& row = rows[i];
        SCOPED_TRACE(row.raw);
        EXPECT_EQ(cases[i], row.id);
        EXPECT_EQ(toRaw(row.id), QString::fromUtf8(row.raw));
        EXPECT_EQ(id(row.id), QString::fromUtf8(row.raw));
        EXPECT_EQ(fromRaw<PipelineID>(QString::fromUtf8(row.raw)), row.id);
        EXPECT_EQ(displayName(row.id), QString::fromUtf8(row.displayName));
        EXPECT_EQ(symbol(row.id), QString::fromUtf8(row.symbol));

        const DropLane lane = DropLane::pipeline(row.id);
        EXPECT_EQ(lane.id(), QString::fromUtf8(row.raw));
        EXPECT_EQ(lane.displayName(), QString::fromUtf8(row.displayName));
        EXPECT_EQ(lane.symbol(), QString::fromUtf8(row.symbol));
        EXPECT_FALSE(lane.isPrimary());
    }
    EXPECT_FALSE(fromRaw<PipelineID>(u"copyPath"));
    EXPECT_FALSE(fromRaw<PipelineID>(u"Zip"));
}

TEST(DropLaneTest, PrimaryLanesAndEquality) {
    for (const auto& [lane, id, name, symbol] :
         {std::tuple{DropLane::shelf(), "shelf", "Files Tray", "tray.and.arrow.down.fill"},
          std::tuple{DropLane::airDrop(), "airdrop", "AirDrop", "dot.radiowaves.right"}}) {
        EXPECT_EQ(lane.id(), QString::fromUtf8(id));
        EXPECT_EQ(lane.displayName(), QString::fromUtf8(name));
        EXPECT_EQ(lane.symbol(), QString::fromUtf8(symbol));
        EXPECT_TRUE(lane.isPrimary());
    }
    const QSet<DropLane> lanes{DropLane::shelf(), DropLane::shelf(), DropLane::pipeline(PipelineID::zip),
                               DropLane::pipeline(PipelineID::zip), DropLane::pipeline(PipelineID::unzip)};
    EXPECT_EQ(lanes.size(), 3);
    EXPECT_FALSE(lanes.contains(DropLane::airDrop()));
}
