#include "Vesk/Notch/ScreenGeometryResolver.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

// A 1512 × 982 screen at (100, 0) whose menu bar is 37 high.
ScreenDescription plainScreen() {
    return ScreenDescription{
        .displayID = 42,
        .name = u"DP-1"_qs,
        .frame = QRectF(100, 0, 1512, 982),
        .visibleFrame = QRectF(100, 37, 1512, 945),
        .safeAreaTopInset = 0,
        .auxiliaryTopLeftArea = std::nullopt,
        .auxiliaryTopRightArea = std::nullopt,
        .backingScale = 2,
        .maximumFramesPerSecond = 120,
    };
}

// The same screen with a 32-high camera housing; with side areas of 666 and 666 the
// housing is 180 wide, from x 766.
ScreenDescription housingScreen(bool sideAreas) {
    ScreenDescription s = plainScreen();
    s.safeAreaTopInset = 32;
    if (sideAreas) {
        s.auxiliaryTopLeftArea = QRectF(100, 0, 666, 32);
        s.auxiliaryTopRightArea = QRectF(946, 0, 666, 32);
    }
    return s;
}

const QSizeF handler(184, 8);

QString modelIs(const char* model, int* asked) {
    ++*asked;
    return QString::fromLatin1(model);
}

} // namespace

TEST(ScreenGeometryResolverTest, ScreenWithoutHousingGetsTheDrawnHandler) {
    const NotchGeometry g = ScreenGeometryResolver::geometry(plainScreen(), 0, 0, handler);
    EXPECT_FALSE(g.hasHardwareNotch);
    EXPECT_EQ(g.notchRect(), QRectF(100 + 756 - 92, 0, 184, 8));
    EXPECT_EQ(g.notchCenterX(), 856);
    EXPECT_EQ(g.openHeaderHeight(), 30);
    EXPECT_EQ(g.menuBarHeight, 37);
    EXPECT_EQ(g.displayID, 42u);
}

TEST(ScreenGeometryResolverTest, HousingBetweenItsSideAreas) {
    int asked = 0;
    const NotchGeometry g = ScreenGeometryResolver::geometry(housingScreen(true), 0, 0, handler,
                                                             [&] { return modelIs("Mac15,12", &asked); });
    EXPECT_TRUE(g.hasHardwareNotch);
    EXPECT_EQ(g.notchRect(), QRectF(766, 0, 180, 32));
    EXPECT_EQ(g.openHeaderHeight(), 32);
    EXPECT_EQ(asked, 0) << "the model is read only when the side areas are missing";
}

TEST(ScreenGeometryResolverTest, HousingWidthByModelWithoutSideAreas) {
    struct Row {
        const char* model;
        double width;
    };
    for (const Row& row : {Row{"Mac15,12", 179}, Row{"Mac14,2", 180}, Row{"", 180}}) {
        int asked = 0;
        ScreenDescription screen = housingScreen(false);
        // Only one side area still counts as none.
        screen.auxiliaryTopLeftArea = QRectF(100, 0, 666, 32);
        const NotchGeometry g = ScreenGeometryResolver::geometry(screen, 0, 0, handler,
                                                                 [&] { return modelIs(row.model, &asked); });
        SCOPED_TRACE(row.model);
        EXPECT_EQ(asked, 1);
        EXPECT_EQ(g.notchSize, QSizeF(row.width, 32));
        EXPECT_EQ(g.notchCenterX(), 856);
        EXPECT_EQ(g.notchOrigin.y(), 0);
    }
}

TEST(ScreenGeometryResolverTest, AdjustmentsKeepTheCentreAndRespectTheFloors) {
    struct Row {
        const char* name;
        double widthAdjust;
        double heightAdjust;
        QSizeF size;
    };
    const Row rows[] = {
        {"wider", 20, 0, QSizeF(204, 8)},         {"narrower", -20, 0, QSizeF(164, 8)},
        {"width floor", -400, 0, QSizeF(40, 8)},  {"taller", 0, 12, QSizeF(184, 20)},
        {"height floor", 0, -20, QSizeF(184, 2)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const NotchGeometry g =
            ScreenGeometryResolver::geometry(plainScreen(), row.widthAdjust, row.heightAdjust, handler);
        EXPECT_EQ(g.notchSize, row.size);
        EXPECT_DOUBLE_EQ(g.notchCenterX(), 856);
        EXPECT_EQ(g.notchOrigin.y(), 0) << "hangs from the top edge";
    }

    // On a housing the floors apply to the housing's size in the same way.
    const NotchGeometry g = ScreenGeometryResolver::geometry(housingScreen(true), 10, -40, handler);
    EXPECT_EQ(g.notchRect(), QRectF(761, 0, 190, 2));
}

TEST(ScreenGeometryResolverTest, ScreenBelowAnotherHangsFromItsOwnTopAndAnUnidentifiedOneIsZero) {
    ScreenDescription screen = plainScreen();
    screen.displayID = std::nullopt;
    screen.frame = QRectF(0, 1080, 1920, 1200);
    screen.visibleFrame = QRectF(0, 1112, 1920, 1168);
    const NotchGeometry g = ScreenGeometryResolver::geometry(screen, 0, 0, handler);
    EXPECT_EQ(g.notchRect(), QRectF(868, 1080, 184, 8));
    EXPECT_EQ(g.menuBarHeight, 32);
    EXPECT_EQ(g.displayID, 0u);
}
