#include "VeskKit/Notch/NotchEffect.h"
#include "VeskKit/Notch/NotchEvent.h"
#include "VeskKit/Notch/NotchState.h"
#include "VeskKit/Notch/NotchStateGuards.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

ActivityPayload payload(const char* key) {
    return ActivityPayload{
        .id = QUuid::createUuid(),
        .kind = ActivityKind::sound,
        .priority = ActivityPriority::interrupt,
        .dedupeKey = QString::fromUtf8(key),
        .leading = ActivityGlyph::none(),
        .title = std::nullopt,
        .subtitle = std::nullopt,
        .trailing = ActivityTrailing::none(),
        .duration = 1,
        .interaction = std::nullopt,
        .createdAt = Date{0},
    };
}

} // namespace

TEST(NotchTypesTest, DeskTabRawValues) {
    EXPECT_EQ(toRaw(DeskTab::desk), QStringLiteral("desk"));
    EXPECT_EQ(toRaw(DeskTab::tray), QStringLiteral("tray"));
    EXPECT_EQ(fromRaw<DeskTab>(u"tray"), DeskTab::tray);
    EXPECT_FALSE(fromRaw<DeskTab>(u"Desk"));
    EXPECT_EQ(allCases<DeskTab>().size(), 2u);
}

TEST(NotchTypesTest, StateDerivedProperties) {
    const ActivityPayload p = payload("a");
    struct Row {
        NotchState state;
        bool isOpen;
        bool presenting;
    };
    const Row rows[] = {
        {NotchState::peek(p), false, true},
        {NotchState::activity(p), false, true},
        {NotchState::activityExpanded(p), false, true},
        {NotchState::open(DeskTab::tray), true, false},
        {NotchState::hidden(), false, false},
        {NotchState::closed(), false, false},
        {NotchState::dropTarget(), false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(static_cast<int>(row.state.kind()));
        EXPECT_EQ(row.state.isOpen(), row.isOpen);
        EXPECT_EQ(row.state.isPresentingActivity(), row.presenting);
        EXPECT_EQ(row.state.payload().has_value(), row.presenting);
        if (row.presenting) {
            EXPECT_EQ(row.state.payload(), p);
        }
    }
    EXPECT_EQ(NotchState::open(DeskTab::tray).tab(), DeskTab::tray);
    EXPECT_EQ(NotchState(), NotchState::closed());
}

TEST(NotchTypesTest, StatesCompareCaseAndAssociatedValue) {
    const ActivityPayload a = payload("a");
    const ActivityPayload b = payload("a");
    EXPECT_EQ(NotchState::activity(a), NotchState::activity(a));
    EXPECT_NE(NotchState::activity(a), NotchState::activity(b));
    EXPECT_NE(NotchState::activity(a), NotchState::activityExpanded(a));
    EXPECT_NE(NotchState::open(DeskTab::desk), NotchState::open(DeskTab::tray));
    EXPECT_NE(NotchState::hidden(), NotchState::closed());
}

TEST(NotchTypesTest, EventsAndEffectsCarryTheirValues) {
    const ActivityPayload a = payload("a");
    EXPECT_EQ(NotchEvent::activityArrived(a).payload(), a);
    EXPECT_EQ(NotchEvent::selectTab(DeskTab::tray).tab(), DeskTab::tray);
    EXPECT_NE(NotchEvent::selectTab(DeskTab::tray), NotchEvent::selectTab(DeskTab::desk));
    EXPECT_EQ(NotchEvent::click(), NotchEvent::click());
    EXPECT_NE(NotchEvent::click(), NotchEvent::escape());
    EXPECT_EQ(NotchEvent::allKinds.size(), 17u);

    EXPECT_TRUE(NotchEffect::cycleActivity(true).forward());
    EXPECT_NE(NotchEffect::cycleActivity(true), NotchEffect::cycleActivity(false));
    EXPECT_NE(NotchEffect::requestKeyboardFocus(false), NotchEffect::cycleActivity(false));
    EXPECT_EQ(NotchEffect::openDesk(DeskTab::tray).tab(), DeskTab::tray);
    EXPECT_EQ(NotchEffect::haptic(), NotchEffect::haptic());

    NotchStateGuards guards;
    EXPECT_EQ(guards, NotchStateGuards{});
    guards.demoMode = true;
    EXPECT_NE(guards, NotchStateGuards{});
}
