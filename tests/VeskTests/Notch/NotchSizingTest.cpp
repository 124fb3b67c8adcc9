#include "Vesk/Notch/NotchSizing.h"

#include "support/Activity/PayloadFactory.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

NotchGeometry notch(QSizeF size, bool housing, double screenWidth = 1512) {
    const double x = (screenWidth - size.width()) / 2;
    return NotchGeometry{.displayID = 1,
                         .screenFrame = QRectF(0, 0, screenWidth, 982),
                         .hasHardwareNotch = housing,
                         .notchSize = size,
                         .notchOrigin = QPointF(x, 0),
                         .menuBarHeight = 32,
                         .backingScale = 2,
                         .maximumFramesPerSecond = 120};
}

// A level activity without texts: a 27-wide glyph and an 88-wide bar, so each side of
// the cutout is 88 + 14 = 102 wide whatever the fonts.
ActivityPayload levelPayload(ActivityKind kind = ActivityKind::sound,
                             ActivityPriority priority = ActivityPriority::interrupt) {
    return test::shownPayload(ActivityGlyph::symbol(u"speaker.wave.2.fill"_qs), std::nullopt, std::nullopt,
                              ActivityTrailing::bar(0.5), kind, priority);
}

ActivityPayload ambientMedia() {
    return levelPayload(ActivityKind::nowPlaying, ActivityPriority::ambient);
}

// The default row: media 5, to-dos 4, shortcuts 4 and mirror 2 cells.
DeskLayout defaultRow(const NotchGeometry& geometry) {
    return NotchSizing::deskLayoutEngine().layout(
        {WidgetID::media, WidgetID::todos, WidgetID::shortcuts, WidgetID::mirror},
        {WidgetID::media, WidgetID::todos, WidgetID::shortcuts, WidgetID::mirror}, {},
        NotchSizing::availableDeskWidth(geometry));
}

} // namespace

TEST(NotchSizingTest, EveryStateOfA180By32HousingOnA1512WideScreen) {
    const NotchGeometry g = notch(QSizeF(180, 32), true);
    const DeskLayout row = defaultRow(g);
    ASSERT_EQ(row.totalWidth, 912); // 18 + 270 + 22 + 216 + 22 + 216 + 22 + 108 + 18

    struct Row {
        const char* name;
        NotchState state;
        bool hovering;
        QSizeF content;
    };
    const Row rows[] = {
        {"closed", NotchState::closed(), false, {180, 32}},
        {"hovered", NotchState::closed(), true, {194, 38}},
        {"peek", NotchState::peek(levelPayload()), false, {380, 32}},
        // 2 × 102 beside the 180 cutout, plus 2 × (12 + 6) − 12 of chrome.
        {"pill", NotchState::activity(levelPayload()), false, {408, 32}},
        {"expanded pill", NotchState::activityExpanded(levelPayload()), false, {408, 48}},
        {"ambient", NotchState::activity(ambientMedia()), false, {272, 32}},
        {"ambient hovered", NotchState::activity(ambientMedia()), true, {272, 56}},
        {"open desk", NotchState::open(DeskTab::desk), false, {912, 146 + 32}},
        {"open tray", NotchState::open(DeskTab::tray), false, {912, 176 + 32}},
        {"drop target", NotchState::dropTarget(), false, {700, 150}},
        {"hidden", NotchState::hidden(), false, {0, 0}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const NotchSizing::Context context{.geometry = g,
                                           .isHovering = row.hovering,
                                           .layout = defaultRow(g),
                                           .deskHeight = NotchSizing::deskHeight(row.state, defaultRow(g)),
                                           .contentPadding = 12};
        EXPECT_EQ(NotchSizing::contentSize(row.state, context), row.content);
    }
}

TEST(NotchSizingTest, DrawnHandlerGetsTheFloorsOfEachState) {
    const NotchGeometry g = notch(QSizeF(184, 8), false);
    const NotchSizing::Context context{
        .geometry = g, .isHovering = false, .layout = {}, .deskHeight = 176, .contentPadding = 12};
    EXPECT_EQ(NotchSizing::contentSize(NotchState::peek(levelPayload()), context).height(), 20);
    EXPECT_EQ(NotchSizing::contentSize(NotchState::activity(ambientMedia()), context).height(), 30);
    NotchSizing::Context hovered = context;
    hovered.isHovering = true;
    EXPECT_EQ(NotchSizing::contentSize(NotchState::activity(ambientMedia()), hovered).height(), 54)
        << "the title line needs its 24 points below the 30-point cover row, not below the 8-point strip";
    EXPECT_EQ(NotchSizing::contentSize(NotchState::activity(levelPayload()), context).height(), 32);
    EXPECT_EQ(NotchSizing::contentSize(NotchState::open(DeskTab::desk), context),
              QSizeF(184 + 372, 176 + 30));
}

TEST(NotchSizingTest, ContentPaddingWidensOnlyActivities) {
    const NotchGeometry g = notch(QSizeF(180, 32), true);
    NotchSizing::Context context{
        .geometry = g, .isHovering = false, .layout = {}, .deskHeight = 176, .contentPadding = 20};
    EXPECT_EQ(NotchSizing::contentSize(NotchState::activity(levelPayload()), context).width(), 408 + 16);
    EXPECT_EQ(NotchSizing::contentSize(NotchState::peek(levelPayload()), context).width(), 380);
}

TEST(NotchSizingTest, OpenDeskWidthStaysBetweenItsBounds) {
    // Nothing enabled: the lower bound W + 372.
    const NotchGeometry wide = notch(QSizeF(180, 32), true);
    const NotchSizing::Context empty{
        .geometry = wide, .isHovering = false, .layout = {}, .deskHeight = 176, .contentPadding = 12};
    EXPECT_EQ(NotchSizing::contentSize(NotchState::open(DeskTab::desk), empty), QSizeF(552, 208));

    // A row wider than the screen allows is cut to S − 80, but never below W + 372.
    DeskLayout broad;
    broad.placements = {WidgetPlacement{.id = WidgetID::media, .cells = 8, .width = 432, .x = 18}};
    broad.totalWidth = 1000;
    const NotchGeometry narrow = notch(QSizeF(180, 32), true, 800);
    NotchSizing::Context context{
        .geometry = narrow, .isHovering = false, .layout = broad, .deskHeight = 146, .contentPadding = 12};
    EXPECT_EQ(NotchSizing::contentSize(NotchState::open(DeskTab::desk), context).width(), 720);
    context.geometry = notch(QSizeF(180, 32), true, 600);
    EXPECT_EQ(NotchSizing::contentSize(NotchState::open(DeskTab::desk), context).width(), 552);
}

TEST(NotchSizingTest, DeskHeightIsTheTallestPlacedWidgetOnTheDeskTabOnly) {
    DeskLayout row;
    EXPECT_EQ(NotchSizing::deskHeight(NotchState::open(DeskTab::desk), row), 176);
    row.placements = {WidgetPlacement{.id = WidgetID::mirror, .cells = 2, .width = 108, .x = 18},
                      WidgetPlacement{.id = WidgetID::weather, .cells = 3, .width = 162, .x = 148}};
    EXPECT_EQ(NotchSizing::deskHeight(NotchState::open(DeskTab::desk), row), 120);
    row.placements.append(WidgetPlacement{.id = WidgetID::quickApps, .cells = 4, .width = 216, .x = 332});
    EXPECT_EQ(NotchSizing::deskHeight(NotchState::open(DeskTab::desk), row), 140);
    EXPECT_EQ(NotchSizing::deskHeight(NotchState::open(DeskTab::tray), row), 176);
    EXPECT_EQ(NotchSizing::deskHeight(NotchState::closed(), row), 176);
}

TEST(NotchSizingTest, CanvasInteractiveRectAndPanelFrame) {
    const NotchGeometry g = notch(QSizeF(180, 32), true);

    EXPECT_EQ(NotchSizing::canvas(QSizeF(180, 32), g), QSizeF(204, 38));
    EXPECT_EQ(NotchSizing::canvas(QSizeF(0, 0), g), QSizeF(180, 4));

    // Centred in whatever canvas the panel has, touching its top.
    EXPECT_EQ(NotchSizing::interactiveRect(NotchState::closed(), QSizeF(180, 32), QSizeF(204, 38)),
              QRectF(0, 0, 204, 38));
    EXPECT_EQ(NotchSizing::interactiveRect(NotchState::closed(), QSizeF(180, 32), QSizeF(936, 184)),
              QRectF(366, 0, 204, 38));
    EXPECT_TRUE(NotchSizing::interactiveRect(NotchState::hidden(), QSizeF(0, 0), QSizeF(180, 4)).isEmpty());

    EXPECT_EQ(NotchSizing::panelFrame(QSizeF(204, 38), g), QRectF(654, 0, 204, 38));
    // Larger than the screen: clipped to it, still centred on the notch and at the top.
    EXPECT_EQ(NotchSizing::panelFrame(QSizeF(2000, 1200), g), QRectF(0, 0, 1512, 982));

    NotchGeometry lower = g;
    lower.screenFrame = QRectF(1512, 200, 1512, 982);
    lower.notchOrigin = QPointF(1512 + 666, 200);
    EXPECT_EQ(NotchSizing::panelFrame(QSizeF(204, 38), lower), QRectF(1512 + 654, 200, 204, 38));
}
