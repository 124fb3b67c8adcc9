#include "Vesk/Notch/DropLanesView.h"

#include "VeskUI/Motion/MotionAnimator.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::near;
using test::pixel;

QList<DropLane> fourLanes() {
    return {DropLane::shelf(), DropLane::airDrop(), DropLane::pipeline(PipelineID::imagesToPDF),
            DropLane::pipeline(PipelineID::zip)};
}

std::unique_ptr<DropLanesView> lanes(std::optional<int> hovered, int files = 3) {
    auto view = std::make_unique<DropLanesView>(fourLanes(), hovered, files);
    view->resize(400, 150); // 100 a lane
    return view;
}

TEST(DropLanesView, TheHoveredLaneIsLitAndRaised) {
    auto view = lanes(2);
    EXPECT_EQ(view->cellRect(2), QRectF(203, 3, 94, 144)) << "an equal share, padded 3 on each side";
    EXPECT_DOUBLE_EQ(view->scale(2), 1.06);
    EXPECT_DOUBLE_EQ(view->scale(0), 1.0);
    const QImage image = test::widgetImage(*view);
    EXPECT_TRUE(near(pixel(image, 250, 20), Vesk::Accent::x500)) << "the hovered pipeline lane is filled";
    // Raised by 1.06 about its centre, it reaches past its padding (97 × 1.06 / 2 > 50).
    EXPECT_TRUE(near(pixel(image, 201, 75), Vesk::Accent::x500));
    EXPECT_EQ(pixel(image, 350, 20).alpha(), 0) << "a resting pipeline lane has no background";
}

TEST(DropLanesView, RestingLanesShowTheirOwnBackgrounds) {
    for (std::optional<int> hovered : {std::optional<int>(), std::optional<int>(9)}) {
        auto view = lanes(hovered);
        const QImage image = test::widgetImage(*view);
        EXPECT_TRUE(near(pixel(image, 150, 20), Vesk::Ink::x800)) << "AirDrop: a dark fill";
        EXPECT_EQ(pixel(image, 50, 20).alpha(), 0) << "the shelf: only a dashed border";
        for (int i = 0; i < 4; ++i)
            EXPECT_DOUBLE_EQ(view->scale(i), 1.0) << "no lane raised for hover " << hovered.value_or(-1);
        // Along the shelf's left border dashes alternate with gaps.
        int inked = 0, clear = 0;
        for (int y = 20; y < 130; ++y)
            (pixel(image, 3.75, y).alpha() > 20 ? inked : clear) += 1;
        EXPECT_GT(inked, 30);
        EXPECT_GT(clear, 20);
    }
}

TEST(DropLanesView, MovingToAnotherLaneAnimatesWithTheHoverSpring) {
    auto view = lanes(0);
    view->setHovered(1);
    EXPECT_DOUBLE_EQ(view->scale(0), 1.06) << "starts where it was";
    ASSERT_TRUE(test::processEventsUntil([&] { return view->scale(0) == 1.0 && view->scale(1) == 1.06; }));
}

TEST(DropLanesView, NamesShrinkToThreeQuartersBeforeTheyAreCut) {
    auto view = std::make_unique<DropLanesView>(fourLanes(), std::nullopt, 1);
    view->resize(4 * 60, 150); // 54-point cells, 44 for the text of a pipeline lane
    const QFont font = view->nameFont(2);
    EXPECT_LT(font.pixelSize(), 9);
    EXPECT_GE(font.pixelSize(), 6) << "never below 75 % of 9 points";
    EXPECT_TRUE(view->shownName(2).endsWith(QChar(0x2026))) << "\"Images to PDF\" still does not fit";
    view->resize(800, 150);
    EXPECT_EQ(view->nameFont(2).pixelSize(), 9);
    EXPECT_EQ(view->shownName(2), QStringLiteral("Images to PDF"));
}

TEST(DropLanesView, CountsTheDraggedFiles) {
    EXPECT_EQ(DropLanesView::fileCountText(1), QStringLiteral("1 file"));
    EXPECT_EQ(DropLanesView::fileCountText(3), QStringLiteral("3 files"));
    EXPECT_EQ(DropLanesView::fileCountText(0), QStringLiteral("0 files"));
    auto view = lanes(std::nullopt, 3);
    const QImage image = test::widgetImage(*view);
    bool inked = false;
    for (int x = 170; x < 230 && !inked; ++x)
        for (int y = 138; y < 148 && !inked; ++y)
            inked =
                image.pixelColor(x, y).alpha() > 100 && near(image.pixelColor(x, y), Vesk::Stone::x400, 60);
    EXPECT_TRUE(inked) << "the count sits along the bottom edge";
}

} // namespace
} // namespace vesk
