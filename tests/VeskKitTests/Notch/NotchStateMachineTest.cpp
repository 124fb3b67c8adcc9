#include "VeskKit/Notch/NotchStateMachine.h"

#include "support/Activity/PayloadFactory.h"

#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>

#include <functional>
#include <map>

using namespace vesk;

namespace {

using Event = NotchEvent::Kind;

const ActivityPayload P = test::makePayload(QStringLiteral("current"), ActivityPriority::queued, 2);
const ActivityPayload Q = test::makePayload(QStringLiteral("arrived"), ActivityPriority::interrupt, 1);

// One cell of the transition table: from each of `states` (space-separated), `event`
// under `guards` (space-separated names of the switches that are on; "any" runs with
// every switch off and again with every switch on) leads to `outcome`: a state, or "-"
// for the unchanged state, then the effects in brackets.
struct Cell {
    const char* event;
    const char* states;
    const char* guards;
    const char* outcome;
};

// clang-format off
const Cell transitionTable[] = {
    {"activityArrived", "peek activity activityExpanded hidden closed", "any", "activity(Q) []"},
    {"activityArrived", "open(desk) dropTarget", "any", "- []"},

    {"selectTab(tray)", "open(desk)", "any", "open(tray) [haptic]"},
    {"selectTab(desk)", "open(desk)", "any", "- []"},
    {"selectTab(desk)", "open(tray)", "any", "open(desk) [haptic]"},
    {"selectTab(tray)", "peek activity activityExpanded hidden closed dropTarget", "any", "- []"},

    {"hoverBegan", "peek activityExpanded open(desk) hidden dropTarget", "any", "- []"},
    {"hoverBegan", "activity", "", "- []"},
    {"hoverBegan", "activity", "quickPeekEnabled", "activityExpanded(P) []"},
    {"hoverBegan", "activity", "interactiveActivities", "activityExpanded(P) []"},
    {"hoverBegan", "closed", "", "- []"},
    {"hoverBegan", "closed", "expandOnHover", "open(desk) [openDesk(desk) haptic]"},
    {"hoverBegan", "closed", "alwaysOpenOnHover", "open(desk) [openDesk(desk) haptic]"},
    {"hoverBegan", "closed", "expandOnHover isTyping", "open(desk) [openDesk(desk) haptic]"},
    {"hoverBegan", "closed", "expandOnHover lockWhileTyping", "open(desk) [openDesk(desk) haptic]"},
    {"hoverBegan", "closed", "expandOnHover lockWhileTyping isTyping", "- []"},
    {"hoverBegan", "closed", "alwaysOpenOnHover lockWhileTyping isTyping", "- []"},
    {"hoverBegan", "closed", "lockWhileTyping isTyping quickPeekEnabled interactiveActivities", "- []"},

    {"hoverEnded", "peek", "any", "closed []"},
    {"hoverEnded", "activity hidden closed dropTarget", "any", "- []"},
    {"hoverEnded", "activityExpanded", "any", "activity(P) []"},
    {"hoverEnded", "open(desk)", "", "closed [requestKeyboardFocus(false) haptic]"},
    {"hoverEnded", "open(desk)", "expandOnHover swipeToToggleOpen", "closed [requestKeyboardFocus(false) haptic]"},
    {"hoverEnded", "open(desk)", "preventCloseOnMouseLeave", "- []"},
    {"hoverEnded", "open(desk)", "alwaysOpenOnHover", "- []"},

    {"click", "peek open(desk) hidden dropTarget", "any", "- []"},
    {"click", "activity activityExpanded", "", "- []"},
    {"click", "activity activityExpanded", "quickPeekEnabled", "- []"},
    {"click", "activity activityExpanded", "interactiveActivities", "open(desk) [openDesk(desk) haptic]"},
    {"click", "closed", "any", "open(desk) [openDesk(desk) haptic]"},

    {"swipeDown", "peek activity open(desk) dropTarget", "any", "- []"},
    {"swipeDown", "hidden", "any", "closed []"},
    {"swipeDown", "activityExpanded closed", "", "- []"},
    {"swipeDown", "activityExpanded closed", "swipeToToggleOpen", "open(desk) [openDesk(desk) haptic]"},

    {"swipeUp", "peek hidden dropTarget", "any", "- []"},
    {"swipeUp", "activity activityExpanded", "", "- []"},
    {"swipeUp", "activity activityExpanded", "swipeToToggleOpen", "- []"},
    {"swipeUp", "activity activityExpanded", "swipeToDismissActivity", "closed [dismissActivity]"},
    {"swipeUp", "open(desk)", "any", "closed [requestKeyboardFocus(false) haptic]"},
    {"swipeUp", "closed", "", "- []"},
    {"swipeUp", "closed", "swipeToDismissActivity", "- []"},
    {"swipeUp", "closed", "swipeToToggleOpen", "hidden []"},

    {"swipeLeft", "peek hidden dropTarget", "any", "- []"},
    {"swipeLeft", "activity activityExpanded", "", "- []"},
    {"swipeLeft", "activity activityExpanded", "swipeToCycleActivity", "- [cycleActivity(forward)]"},
    {"swipeLeft", "activity activityExpanded", "swipeToSkipMedia", "- [mediaNext]"},
    {"swipeLeft", "activity activityExpanded", "swipeToCycleActivity swipeToSkipMedia", "- [cycleActivity(forward)]"},
    {"swipeLeft", "open(desk) closed", "", "- []"},
    {"swipeLeft", "open(desk) closed", "swipeToCycleActivity", "- []"},
    {"swipeLeft", "open(desk) closed", "swipeToSkipMedia", "- [mediaNext]"},
    {"swipeLeft", "open(desk) closed", "swipeToCycleActivity swipeToSkipMedia", "- [mediaNext]"},

    {"swipeRight", "peek hidden dropTarget", "any", "- []"},
    {"swipeRight", "activity activityExpanded", "", "- []"},
    {"swipeRight", "activity activityExpanded", "swipeToCycleActivity", "- [cycleActivity(backward)]"},
    {"swipeRight", "activity activityExpanded", "swipeToSkipMedia", "- [mediaPrevious]"},
    {"swipeRight", "activity activityExpanded", "swipeToCycleActivity swipeToSkipMedia", "- [cycleActivity(backward)]"},
    {"swipeRight", "open(desk) closed", "", "- []"},
    {"swipeRight", "open(desk) closed", "swipeToCycleActivity", "- []"},
    {"swipeRight", "open(desk) closed", "swipeToSkipMedia", "- [mediaPrevious]"},
    {"swipeRight", "open(desk) closed", "swipeToCycleActivity swipeToSkipMedia", "- [mediaPrevious]"},

    {"dragEntered", "peek hidden dropTarget", "any", "- []"},
    {"dragEntered", "activity activityExpanded closed", "any", "dropTarget []"},
    {"dragEntered", "open(desk)", "any", "dropTarget [haptic]"},

    {"dragExited", "peek activity activityExpanded open(desk) hidden closed", "any", "- []"},
    {"dragExited", "dropTarget", "any", "closed []"}, // nothing remembered

    {"dropped", "peek activity activityExpanded open(desk) hidden closed", "any", "- []"},
    {"dropped", "dropTarget", "any", "open(tray) [openDesk(tray) haptic]"},

    {"escape", "peek activity activityExpanded hidden closed dropTarget", "any", "- []"},
    {"escape", "open(desk)", "any", "closed [requestKeyboardFocus(false) haptic]"},

    {"activityTimedOut", "peek", "any", "closed []"},
    {"activityTimedOut", "activity activityExpanded", "", "closed []"},
    {"activityTimedOut", "activity activityExpanded", "demoMode", "- []"},
    {"activityTimedOut", "open(desk) hidden closed dropTarget", "any", "- []"},

    {"activityQueueDrained", "peek activity activityExpanded open(desk) hidden closed dropTarget", "any", "- []"},

    {"toggleHidden", "peek activity activityExpanded closed dropTarget", "any", "hidden []"},
    {"toggleHidden", "open(desk)", "any", "hidden [haptic]"},
    {"toggleHidden", "hidden", "any", "closed []"},

    {"forceClose", "peek activity activityExpanded hidden closed dropTarget", "any",
     "closed [requestKeyboardFocus(false)]"},
    {"forceClose", "open(desk)", "any", "closed [requestKeyboardFocus(false) haptic]"},
};
// clang-format on

NotchState parseState(const QString& name) {
    if (name == u"peek") return NotchState::peek(P);
    if (name == u"activity" || name == u"activity(P)") return NotchState::activity(P);
    if (name == u"activity(Q)") return NotchState::activity(Q);
    if (name == u"activityExpanded" || name == u"activityExpanded(P)") return NotchState::activityExpanded(P);
    if (name == u"open(desk)") return NotchState::open(DeskTab::desk);
    if (name == u"open(tray)") return NotchState::open(DeskTab::tray);
    if (name == u"hidden") return NotchState::hidden();
    if (name == u"closed") return NotchState::closed();
    if (name == u"dropTarget") return NotchState::dropTarget();
    ADD_FAILURE() << "unknown state " << name.toStdString();
    return {};
}

NotchEvent parseEvent(const QString& name) {
    static const std::map<QString, std::function<NotchEvent()>> events{
        {QStringLiteral("activityArrived"), [] { return NotchEvent::activityArrived(Q); }},
        {QStringLiteral("selectTab(desk)"), [] { return NotchEvent::selectTab(DeskTab::desk); }},
        {QStringLiteral("selectTab(tray)"), [] { return NotchEvent::selectTab(DeskTab::tray); }},
        {QStringLiteral("hoverBegan"), &NotchEvent::hoverBegan},
        {QStringLiteral("hoverEnded"), &NotchEvent::hoverEnded},
        {QStringLiteral("click"), &NotchEvent::click},
        {QStringLiteral("swipeDown"), &NotchEvent::swipeDown},
        {QStringLiteral("swipeUp"), &NotchEvent::swipeUp},
        {QStringLiteral("swipeLeft"), &NotchEvent::swipeLeft},
        {QStringLiteral("swipeRight"), &NotchEvent::swipeRight},
        {QStringLiteral("dragEntered"), &NotchEvent::dragEntered},
        {QStringLiteral("dragExited"), &NotchEvent::dragExited},
        {QStringLiteral("dropped"), &NotchEvent::dropped},
        {QStringLiteral("escape"), &NotchEvent::escape},
        {QStringLiteral("activityTimedOut"), &NotchEvent::activityTimedOut},
        {QStringLiteral("activityQueueDrained"), &NotchEvent::activityQueueDrained},
        {QStringLiteral("toggleHidden"), &NotchEvent::toggleHidden},
        {QStringLiteral("forceClose"), &NotchEvent::forceClose},
    };
    const auto found = events.find(name);
    if (found == events.end()) {
        ADD_FAILURE() << "unknown event " << name.toStdString();
        return NotchEvent::escape();
    }
    return found->second();
}

NotchEffect parseEffect(const QString& name) {
    if (name == u"openDesk(desk)") return NotchEffect::openDesk(DeskTab::desk);
    if (name == u"openDesk(tray)") return NotchEffect::openDesk(DeskTab::tray);
    if (name == u"requestKeyboardFocus(false)") return NotchEffect::requestKeyboardFocus(false);
    if (name == u"cycleActivity(forward)") return NotchEffect::cycleActivity(true);
    if (name == u"cycleActivity(backward)") return NotchEffect::cycleActivity(false);
    if (name == u"mediaNext") return NotchEffect::mediaNext();
    if (name == u"mediaPrevious") return NotchEffect::mediaPrevious();
    if (name == u"dismissActivity") return NotchEffect::dismissActivity();
    if (name == u"haptic") return NotchEffect::haptic();
    ADD_FAILURE() << "unknown effect " << name.toStdString();
    return NotchEffect::haptic();
}

NotchStateGuards guardsWith(const QStringList& names, bool everything = false) {
    NotchStateGuards g;
    const std::pair<const char*, bool NotchStateGuards::*> fields[] = {
        {"expandOnHover", &NotchStateGuards::expandOnHover},
        {"alwaysOpenOnHover", &NotchStateGuards::alwaysOpenOnHover},
        {"preventCloseOnMouseLeave", &NotchStateGuards::preventCloseOnMouseLeave},
        {"swipeToToggleOpen", &NotchStateGuards::swipeToToggleOpen},
        {"swipeToDismissActivity", &NotchStateGuards::swipeToDismissActivity},
        {"swipeToCycleActivity", &NotchStateGuards::swipeToCycleActivity},
        {"swipeToSkipMedia", &NotchStateGuards::swipeToSkipMedia},
        {"interactiveActivities", &NotchStateGuards::interactiveActivities},
        {"quickPeekEnabled", &NotchStateGuards::quickPeekEnabled},
        {"demoMode", &NotchStateGuards::demoMode},
        {"isTyping", &NotchStateGuards::isTyping},
        {"lockWhileTyping", &NotchStateGuards::lockWhileTyping},
    };
    QStringList unknown = names;
    for (const auto& [name, field] : fields) {
        g.*field = everything || names.contains(QLatin1String(name));
        unknown.removeAll(QLatin1String(name));
    }
    EXPECT_TRUE(unknown.isEmpty()) << "unknown guard " << unknown.join(u' ').toStdString();
    return g;
}

std::string describe(const NotchEffects& effects) {
    QStringList names;
    for (const NotchEffect& e : effects) {
        QString name = QString::number(static_cast<int>(e.kind()));
        if (e.kind() == NotchEffect::Kind::cycleActivity) name += e.forward() ? u"+" : u"-";
        if (e.kind() == NotchEffect::Kind::openDesk) name += u':' + toRaw(e.tab());
        names << name;
    }
    return names.join(u' ').toStdString();
}

} // namespace

TEST(NotchStateMachineTest, TransitionTableCoversEveryStateAndEvent) {
    QSet<std::pair<int, int>> covered;
    for (const Cell& cell : transitionTable) {
        const QString outcome = QString::fromUtf8(cell.outcome);
        const qsizetype bracket = outcome.indexOf(u'[');
        ASSERT_GT(bracket, 0) << cell.outcome;
        const QString target = outcome.left(bracket).trimmed();
        NotchEffects expectedEffects;
        for (const QString& name : outcome.mid(bracket + 1).chopped(1).split(u' ', Qt::SkipEmptyParts))
            expectedEffects.append(parseEffect(name));

        const QString guardText = QString::fromUtf8(cell.guards);
        QList<NotchStateGuards> guardSets;
        if (guardText == u"any")
            guardSets = {guardsWith({}), guardsWith({}, true)};
        else
            guardSets = {guardsWith(guardText.split(u' ', Qt::SkipEmptyParts))};

        for (const QString& stateName : QString::fromUtf8(cell.states).split(u' ', Qt::SkipEmptyParts)) {
            for (const NotchStateGuards& guards : guardSets) {
                SCOPED_TRACE(
                    std::string(cell.event) + " on " + stateName.toStdString() + " with " +
                    (guardText == u"any" ? (guards.demoMode ? "all guards" : "no guards") : cell.guards));
                const NotchState start = parseState(stateName);
                const NotchEvent event = parseEvent(QString::fromUtf8(cell.event));
                NotchStateMachine machine(start, guards);
                const NotchEffects effects = machine.apply(event);
                EXPECT_EQ(machine.state(), target == u"-" ? start : parseState(target));
                EXPECT_EQ(effects, expectedEffects)
                    << "got " << describe(effects) << ", expected " << describe(expectedEffects);
                covered.insert({static_cast<int>(start.kind()), static_cast<int>(event.kind())});
            }
        }
    }
    ASSERT_EQ(NotchEvent::allKinds.size(), 17u);
    for (Event event : NotchEvent::allKinds)
        for (int state = 0; state <= static_cast<int>(NotchState::Kind::dropTarget); ++state)
            EXPECT_TRUE(covered.contains({state, static_cast<int>(event)}))
                << "no row for event " << static_cast<int>(event) << " in state " << state;
}

TEST(NotchStateMachineTest, DragRestoresTheRememberedState) {
    for (const NotchState& start :
         {NotchState::activity(P), NotchState::activityExpanded(P), NotchState::closed()}) {
        NotchStateMachine machine(start);
        EXPECT_TRUE(machine.apply(NotchEvent::dragEntered()).isEmpty());
        EXPECT_EQ(machine.state(), NotchState::dropTarget());
        // A second enter while over the notch must not overwrite what was remembered.
        EXPECT_TRUE(machine.apply(NotchEvent::dragEntered()).isEmpty());
        EXPECT_TRUE(machine.apply(NotchEvent::dragExited()).isEmpty());
        EXPECT_EQ(machine.state(), start);
    }

    NotchStateMachine desk(NotchState::open(DeskTab::desk));
    EXPECT_EQ(desk.apply(NotchEvent::dragEntered()), NotchEffects{NotchEffect::haptic()});
    EXPECT_EQ(desk.apply(NotchEvent::dragExited()), NotchEffects{NotchEffect::haptic()});
    EXPECT_EQ(desk.state(), NotchState::open(DeskTab::desk));
}

TEST(NotchStateMachineTest, StatesKnowWhetherTheyAreOpenOrPresentAPayload) {
    struct Row {
        NotchState state;
        bool isOpen, presenting;
    };
    for (const Row& row :
         {Row{NotchState::peek(P), false, true}, Row{NotchState::activity(P), false, true},
          Row{NotchState::activityExpanded(P), false, true},
          Row{NotchState::open(DeskTab::tray), true, false}, Row{NotchState::hidden(), false, false},
          Row{NotchState::closed(), false, false}, Row{NotchState::dropTarget(), false, false}}) {
        SCOPED_TRACE(static_cast<int>(row.state.kind()));
        EXPECT_EQ(row.state.isOpen(), row.isOpen);
        EXPECT_EQ(row.state.isPresentingActivity(), row.presenting);
        EXPECT_EQ(row.state.payload(), row.presenting ? std::optional(P) : std::nullopt);
    }
}
