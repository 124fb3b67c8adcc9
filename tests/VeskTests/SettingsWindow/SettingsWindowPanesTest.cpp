#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/FileTrayPane.h"
#include "Vesk/SettingsWindow/Panes/SoundPanes.h"
#include "Vesk/SettingsWindow/SettingsPaneFactory.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskServices/Idle/IdleService.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Calendar/FakeCalendarStore.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"
#include "support/Pasteboard/FakeClipboard.h"
#include "support/Session/FakeSessionLayers.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include <cmath>
#include <set>

namespace vesk {
namespace {

// A control the table names and the setting a press of it writes; none for a button
// that only calls out (a refresh, keep-awake's toggle) and writes no setting.
struct Control {
    Control(const char* control) : name(QString::fromUtf8(control)), key(name.section(u'.', 0, 0)) {}
    Control(const char* control, const char* writes)
        : name(QString::fromUtf8(control)), key(QString::fromUtf8(writes)) {}
    QString name;
    QString key;
};

const QList<std::pair<SettingsPane, QList<Control>>>& controlTable() {
    static const QList<std::pair<SettingsPane, QList<Control>>> table = [] {
        QList<Control> widgets{"widgetCells.media"};
        for (WidgetID id : allCases<WidgetID>())
            widgets.append(Control(("enabledWidgets." + toRaw(id)).toUtf8().constData()));
        return QList<std::pair<SettingsPane, QList<Control>>>{
            {SettingsPane::general,
             {"launchAtLogin", "progressiveBlur", "contrastOutline", "hapticFeedback", "expandOnHover",
              "preventCloseOnMouseLeave", "demoMode", "naturalMovement", "swipeToToggleOpen",
              "swipeToCycleActivity", "swipeToDismissActivity", "swipeToSkipMedia", "contentPadding",
              "notchWidthAdjust", "notchHeightAdjust", "syncEnabled"}},
            {SettingsPane::sound,
             {"soundEnabled", "soundDuration", "soundBarStyle.white", "soundBarStyle.accent",
              "soundBarStyle.decibel", "soundSpeed.smooth", "soundSpeed.fast", "soundSpeed.instant",
              "soundShowPercentage", "soundHideLabel", "suppressSystemHUD"}},
            {SettingsPane::display,
             {"displayEnabled", "displayDuration", "displayBarStyle.white", "displayBarStyle.accent",
              "displayBarStyle.glow", "displaySpeed.smooth", "displaySpeed.fast", "displaySpeed.instant",
              "displayShowPercentage", "suppressSystemHUD"}},
            {SettingsPane::battery,
             {"batteryEnabled", "batteryDuration", "batteryNotifyLowPowerMode", "batteryWarnLow",
              "batteryLowThreshold", "batteryHidePercentage"}},
            {SettingsPane::connectivity,
             {"connectivityEnabled", "connectivityDuration", "connectivityWarnLow",
              "connectivityLowThreshold"}},
            {SettingsPane::focus,
             {"focusEnabled", "focusDuration", "focusReplaceWaveform", "focusHideLabel"}},
            {SettingsPane::nowPlaying,
             {"nowPlayingEnabled", "nowPlayingIdleDuration", "nowPlayingBarStyle.monochrome",
              "nowPlayingBarStyle.colored", "nowPlayingBarStyle.gradient", "nowPlayingPeekOnChange",
              "nowPlayingDisableArtworkFlip", "nowPlayingHideWhileSourceActive"}},
            {SettingsPane::calendar,
             {{"accessButton", ""},
              {"selectAll", "visibleCalendars"},
              {"clear", "visibleCalendars"},
              {"refresh", ""},
              {"calendar.home", "visibleCalendars"},
              {"calendar.work", "visibleCalendars"},
              "showPastEventsToday",
              "showAllDayEvents",
              "showMultiDayEvents",
              "calendarDaysBehind",
              "calendarDaysAhead",
              "calendarLeadMinutes",
              "dismissAtEventEnd",
              "detectMeetingLinks"}},
            {SettingsPane::fileTray,
             {"trayMoveOnDrop.copy", "trayMoveOnDrop.move", "trayCopyByDefault.copy",
              "trayCopyByDefault.move", "trayMaxItems", "pipelinesEnabled", "pipelineOrder.compressImage",
              "pipelineOrder.convertFormat", "pipelineOrder.zip", "pipelineOrder.unzip",
              "pipelineOrder.stripEXIF", "pipelineOrder.imagesToPDF", "pipelineOrder.rename",
              "pipelineOrder.copyPaths"}},
            {SettingsPane::idleLock,
             {{"keepAwake", ""},
              "keepAwakeDuration.indefinite",
              "keepAwakeDuration.thirtyMinutes",
              "keepAwakeDuration.oneHour",
              "keepAwakeDuration.twoHours",
              "showLockActivity",
              "lockSoundsEnabled"}},
            {SettingsPane::desk, widgets},
            {SettingsPane::clipboard,
             {"clipboardEnabled", "clipboardMaxItems", "clipboardPersists", {"clearClipboard", ""}}},
        };
    }();
    return table;
}

// What the user reads beside each control of the panes that bind many alike switches and
// sliders: a key swapped between two rows shows here.
const QHash<QString, QString>& controlLabels() {
    static const QHash<QString, QString> labels{
        {"launchAtLogin", "Launch at login"},
        {"progressiveBlur", "Glow around the notch"},
        {"contrastOutline", "Contrast outline"},
        {"hapticFeedback", "Haptic feedback"},
        {"expandOnHover", "Expand on hover"},
        {"preventCloseOnMouseLeave", "Prevent closing on mouse leave"},
        {"demoMode", "Demo mode"},
        {"naturalMovement", "Natural movement"},
        {"swipeToToggleOpen", "Swipe to toggle open"},
        {"swipeToCycleActivity", "Swipe to cycle activity"},
        {"swipeToDismissActivity", "Swipe to dismiss activity"},
        {"swipeToSkipMedia", "Swipe to skip media"},
        {"contentPadding", "Content padding"},
        {"notchWidthAdjust", "Notch width"},
        {"notchHeightAdjust", "Notch height"},
        {"syncEnabled", "Sync with the cloud"},
        {"showPastEventsToday", "Show today's past events"},
        {"showAllDayEvents", "Show all-day events"},
        {"showMultiDayEvents", "Show multi-day events"},
        {"calendarDaysBehind", "Days behind"},
        {"calendarDaysAhead", "Days ahead"},
        {"calendarLeadMinutes", "Notify before"},
        {"dismissAtEventEnd", "Dismiss when the event ends"},
        {"detectMeetingLinks", "Detect meeting links"},
        {"clipboardEnabled", "Remember what you copy"},
        {"clipboardMaxItems", "Keep at most"},
        {"clipboardPersists", "Keep history after quitting"},
        {"keepAwakeDuration.indefinite", "Until I turn it off"},
        {"keepAwakeDuration.thirtyMinutes", "30 minutes"},
        {"keepAwakeDuration.oneHour", "1 hour"},
        {"keepAwakeDuration.twoHours", "2 hours"},
        {"showLockActivity", "Greet me when I unlock"},
        {"lockSoundsEnabled", "Play a sound on lock and unlock"},
    };
    return labels;
}

// The text beside a control: its own title, or the label of its row or slider.
QString labelOf(QWidget* control) {
    if (auto* button = qobject_cast<QAbstractButton*>(control); button && !button->text().isEmpty())
        return button->text();
    for (QWidget* w = control; w; w = w->parentWidget()) {
        if (auto* row = qobject_cast<SettingsRow*>(w)) return row->label()->text();
        if (auto* slider = qobject_cast<ValueSlider*>(w)) return slider->label()->text();
    }
    return {};
}

class SettingsWindowPanesTest : public ::testing::Test {
protected:
    SettingsWindowPanesTest() {
        calendarState->calendars = {{u"home"_qs, u"Home"_qs, u"#ff0000"_qs}, {u"work"_qs, u"Work"_qs, {}}};
        calendar.start();
        EXPECT_TRUE(test::processEventsUntil([&] { return calendar.calendars().size() == 2; }))
            << "the calendars never came";
    }
    ~SettingsWindowPanesTest() override { calendar.stop(); }

    // Everything the panes ask about is there, unless a test says otherwise.
    SettingsWindowEnvironment filled() {
        SettingsWindowEnvironment environment;
        environment.canSuppress = [] { return true; };
        environment.brightnessAvailable = [] { return true; };
        environment.bluetoothPermission = [] { return PermissionState::granted; };
        environment.isUniversal = [] { return true; };
        environment.calendarService = [this] { return &calendar; };
        environment.idleService = [this] { return &idle; };
        environment.clipboardService = [this] { return &clipboard; };
        return environment;
    }
    // The pane as the window builds it, laid out at the detail column's width.
    QWidget* build(SettingsPane pane) { return build(pane, filled()); }
    QWidget* build(SettingsPane pane, const SettingsWindowEnvironment& environment) {
        const SettingsPaneFactory factory = SettingsPaneFactory::standard();
        holder = std::make_unique<QWidget>();
        QWidget* body = factory.build(pane, settings, environment, factory.inputs(pane, environment));
        body->setParent(holder.get());
        holder->setAttribute(Qt::WA_DontShowOnScreen);
        holder->resize(704, 1400);
        body->setGeometry(0, 0, 704, body->heightForWidth(704) > 0 ? body->heightForWidth(704) : 1300);
        holder->show();
        return body;
    }
    template <typename T> T* child(QWidget* pane, const QString& name) {
        T* found = pane->findChild<T*>(name);
        EXPECT_NE(found, nullptr) << name.toStdString();
        return found;
    }
    static bool dimmed(const QWidget* widget) {
        return dimming::opacity(widget) < 1.0 && !widget->isEnabled();
    }
    // Object names of the interactive controls that carry a key.
    static QStringList controls(QWidget* pane) {
        QStringList names;
        for (QAbstractButton* button : pane->findChildren<QAbstractButton*>())
            if (!button->objectName().isEmpty() && !button->objectName().startsWith(QLatin1String("allow")))
                names << button->objectName();
        for (SliderTrack* track : pane->findChildren<SliderTrack*>())
            names << track->objectName();
        names.sort();
        return names;
    }
    // Presses a control as a user would: a slider moves to whichever end it is not at.
    static void press(QWidget* body, const QString& name) {
        if (auto* track = body->findChild<SliderTrack*>(name)) {
            track->setFocus();
            QTest::keyClick(track, track->position() > 0 ? Qt::Key_Home : Qt::Key_End);
        } else if (auto* button = body->findChild<QAbstractButton*>(name)) {
            // A picker's tile that is already selected writes again too.
            button->click();
        } else {
            ADD_FAILURE() << "no control " << name.toStdString();
        }
    }
    // Writes a new value of the control's own setting as another part of the program
    // would, and tells whether the control shows it. False for a control that shows its
    // setting mapped (checked by the panes' own tests).
    bool writeElsewhereAndShow(QWidget* body, const Control& control) {
        const SettingDescriptor* setting = nullptr;
        for (const SettingDescriptor& descriptor : SettingsStore::catalogue())
            if (descriptor.key == control.key) setting = &descriptor;
        if (!setting) return false;
        const QVariant now = setting->read(settings);
        if (control.name == control.key && now.typeId() == QMetaType::Bool) {
            setting->write(settings, !now.toBool());
            return child<QAbstractButton>(body, control.name)->isChecked() == !now.toBool();
        }
        if (auto* track = body->findChild<SliderTrack*>(control.name); track && control.name == control.key) {
            const double middle = (track->lowest() + track->highest()) / 2;
            setting->write(settings, middle);
            return std::abs(track->value() - middle) <=
                   (track->highest() - track->lowest()) / SliderTrack::steps;
        }
        const QString value = control.name.section(u'.', 1);
        if (control.name.section(u'.', 0, 0) == control.key && now.typeId() == QMetaType::QString &&
            now.toString() != value) {
            setting->write(settings, value);
            return child<QAbstractButton>(body, control.name)->isChecked();
        }
        return writeMappedElsewhereAndShow(body, control.name);
    }
    // The same for the widgets' switches and width and the calendars' switches, which
    // show one member of a set or a map.
    bool writeMappedElsewhereAndShow(QWidget* body, const QString& name) {
        const QString member = name.section(u'.', 1);
        if (name.startsWith(u"enabledWidgets.")) {
            const WidgetID id = *fromRaw<WidgetID>(member);
            const bool on = !settings.enabledWidgets().contains(id);
            settings.setWidget(id, on);
            return child<QAbstractButton>(body, name)->isChecked() == on;
        }
        if (name.startsWith(u"widgetCells.")) {
            const WidgetID id = *fromRaw<WidgetID>(member);
            const int cells = settings.widgetCells().value(id, defaultCells(id)) == 8 ? minCells(id) : 8;
            settings.setCells(cells, id);
            return child<SliderTrack>(body, name)->value() == cells;
        }
        if (name.startsWith(u"calendar.")) {
            const bool wasOn = child<QAbstractButton>(body, name)->isChecked();
            settings.setVisibleCalendars(wasOn ? CalendarIdentifiers{u"gone"_qs}
                                               : CalendarIdentifiers{member});
            return child<QAbstractButton>(body, name)->isChecked() == !wasOn;
        }
        return false;
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    std::unique_ptr<QWidget> holder;
    std::shared_ptr<test::FakeCalendarStore::State> calendarState =
        std::make_shared<test::FakeCalendarStore::State>();
    CalendarService calendar{
        Date::now, [state = calendarState] { return std::make_unique<test::FakeCalendarStore>(state); }};
    IdleService idle{std::make_unique<test::FakePowerAssertion>(),
                     std::make_unique<test::FakeSessionEvents>()};
    test::FakeClipboard pasteboard;
    ClipboardService clipboard{pasteboard, u"SettingsWindowPanesTest-"_qs +
                                               QUuid::createUuid().toString(QUuid::WithoutBraces)};
};

// The keys whose stored values differ.
QStringList changedKeys(const QVariantMap& before, const QVariantMap& after) {
    QStringList keys;
    std::set<QString> all;
    for (const QString& key : before.keys() + after.keys())
        all.insert(key);
    for (const QString& key : all)
        if (before.value(key) != after.value(key)) keys << key;
    return keys;
}

TEST_F(SettingsWindowPanesTest, EveryControlWritesItsKeyOnceAndShowsWritesFromElsewhere) {
    for (const auto& [pane, table] : controlTable()) {
        settings.setSuppressSystemHUD(true); // both rows of the "System HUDs" section
        QStringList expected;
        for (const Control& control : table)
            expected << control.name;
        expected.sort();
        EXPECT_EQ(controls(build(pane)), expected) << toRaw(pane).toStdString();

        int shown = 0;
        for (const Control& control : table) {
            const std::string name = control.name.toStdString();
            defaults->removeKeys(defaults->dictionaryRepresentation().keys());
            settings.setSuppressSystemHUD(true);
            QWidget* body = build(pane);
            if (controlLabels().contains(control.name)) {
                EXPECT_EQ(labelOf(body->findChild<QWidget*>(control.name)),
                          controlLabels().value(control.name));
            }
            const QVariantMap before = defaults->dictionaryRepresentation();
            qint64 revision = settings.revision();
            press(body, control.name);
            const QStringList changed = changedKeys(before, defaults->dictionaryRepresentation());
            if (control.key.isEmpty()) {
                EXPECT_EQ(settings.revision(), revision) << name << " writes nothing";
                continue;
            }
            EXPECT_EQ(settings.revision(), revision + 1) << name;
            EXPECT_EQ(changed, QStringList{control.key}) << name;

            revision = settings.revision();
            if (!writeElsewhereAndShow(body, control)) continue;
            ++shown;
            EXPECT_EQ(settings.revision(), revision + 1) << name << " wrote back";
        }
        EXPECT_GT(shown, 0) << toRaw(pane).toStdString();
    }
}

TEST_F(SettingsWindowPanesTest, WritesFromElsewhereShowWithoutAWriteBack) {
    QWidget* sound = build(SettingsPane::sound);
    const qint64 revision = settings.revision();
    settings.setSoundShowPercentage(true);
    settings.setSoundBarStyle(BarStyle::decibel);
    settings.setSoundDuration(7.5);
    EXPECT_EQ(settings.revision(), revision + 3);
    EXPECT_TRUE(child<SwitchToggle>(sound, "soundShowPercentage")->isChecked());
    EXPECT_TRUE(child<QAbstractButton>(sound, "soundBarStyle.decibel")->isChecked());
    EXPECT_FALSE(child<QAbstractButton>(sound, "soundBarStyle.white")->isChecked());
    EXPECT_EQ(child<SliderTrack>(sound, "soundDuration")->position(), 737);

    QWidget* tray = build(SettingsPane::fileTray);
    settings.setPipelineOrder({PipelineID::rename});
    EXPECT_FALSE(child<SwitchToggle>(tray, "pipelineOrder.zip")->isChecked());
    EXPECT_TRUE(child<SwitchToggle>(tray, "pipelineOrder.rename")->isChecked());
    settings.setTrayMoveOnDrop(true);
    EXPECT_TRUE(child<QAbstractButton>(tray, "trayMoveOnDrop.move")->isChecked());
    EXPECT_EQ(settings.revision(), revision + 5);
}

TEST_F(SettingsWindowPanesTest, DisplayWithoutBrightnessDimsItsSettingsButNotTheKeys) {
    settings.setDisplayDuration(3);
    SettingsWindowEnvironment environment = filled();
    environment.brightnessAvailable = [] { return false; };
    QWidget* pane = build(SettingsPane::display, environment);
    const QList<QWidget*> items = pane->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(items.size(), 5);
    auto* notice = qobject_cast<UnavailableCard*>(items.at(0));
    ASSERT_NE(notice, nullptr) << "the notice comes first";
    EXPECT_EQ(notice->title()->text(), QStringLiteral("Brightness isn't readable on this computer"));
    EXPECT_TRUE(dimmed(items.at(1))) << "the header card";
    EXPECT_TRUE(dimmed(items.at(2))) << "the style card";
    EXPECT_FALSE(dimmed(child<SwitchToggle>(pane, "suppressSystemHUD")));
    EXPECT_EQ(dimming::opacity(child<SwitchToggle>(pane, "suppressSystemHUD")), 1.0);
    EXPECT_EQ(settings.displayDuration(), 3) << "stored values stay";

    QWidget* available = build(SettingsPane::display);
    EXPECT_EQ(available->findChild<UnavailableCard*>(), nullptr);
    EXPECT_EQ(dimming::opacity(child<SwitchToggle>(available, "displayShowPercentage")), 1.0);
}

TEST_F(SettingsWindowPanesTest, ConnectivityWithoutPermissionAsksAndDimsItsCards) {
    for (PermissionState state :
         {PermissionState::notDetermined, PermissionState::denied, PermissionState::unknown}) {
        SettingsWindowEnvironment environment = filled();
        environment.bluetoothPermission = [state] { return state; };
        QWidget* pane = build(SettingsPane::connectivity, environment);
        auto* notice = pane->findChild<PermissionNeededCard*>();
        ASSERT_NE(notice, nullptr) << toRaw(state).toStdString();
        EXPECT_EQ(notice->permission(), Permission::bluetooth);
        EXPECT_TRUE(dimmed(child<SwitchToggle>(pane, "connectivityEnabled")));
        EXPECT_DOUBLE_EQ(dimming::opacity(child<SliderTrack>(pane, "connectivityLowThreshold")), 0.45);
    }
    SettingsWindowEnvironment missing = filled();
    missing.bluetoothPermission = {};
    EXPECT_NE(build(SettingsPane::connectivity, missing)->findChild<PermissionNeededCard*>(), nullptr)
        << "no answer reads unknown";

    // The threshold dims again inside the dimmed card while its warning is off.
    settings.setConnectivityWarnLow(false);
    SettingsWindowEnvironment denied = filled();
    denied.bluetoothPermission = [] { return PermissionState::denied; };
    QWidget* pane = build(SettingsPane::connectivity, denied);
    EXPECT_DOUBLE_EQ(dimming::opacity(child<SliderTrack>(pane, "connectivityLowThreshold")), 0.45 * 0.45);
    QWidget* granted = build(SettingsPane::connectivity);
    EXPECT_EQ(granted->findChild<PermissionNeededCard*>(), nullptr);
    EXPECT_DOUBLE_EQ(dimming::opacity(child<SliderTrack>(granted, "connectivityLowThreshold")), 0.45);
    settings.setConnectivityWarnLow(true);
    EXPECT_EQ(dimming::opacity(child<SliderTrack>(granted, "connectivityLowThreshold")), 1.0);
}

TEST_F(SettingsWindowPanesTest, BatteryThresholdAndPipelineRowsFollowTheirSwitches) {
    QWidget* battery = build(SettingsPane::battery);
    child<SwitchToggle>(battery, "batteryWarnLow")->click();
    EXPECT_TRUE(dimmed(child<SliderTrack>(battery, "batteryLowThreshold")));
    EXPECT_FALSE(dimmed(child<SwitchToggle>(battery, "batteryHidePercentage")));

    QWidget* tray = build(SettingsPane::fileTray);
    child<SwitchToggle>(tray, "pipelinesEnabled")->click();
    EXPECT_FALSE(settings.pipelinesEnabled());
    for (PipelineID pipeline : allCases<PipelineID>())
        EXPECT_TRUE(dimmed(child<SwitchToggle>(tray, QStringLiteral("pipelineOrder.") + toRaw(pipeline))));
    EXPECT_FALSE(dimmed(child<SwitchToggle>(tray, "pipelinesEnabled"))) << "the master stays live";
    EXPECT_TRUE(settings.pipelineOrder().isEmpty()) << "the master leaves the order alone";
}

TEST_F(SettingsWindowPanesTest, SuppressionOffersAllowWhereTheKeysCannotBeTaken) {
    settings.setSuppressSystemHUD(true);
    int requests = 0;
    SuppressionCard refused(settings, false, [&] { ++requests; });
    EXPECT_EQ(refused.passThroughRow(), nullptr) << "no second row, whatever is stored";
    auto* allow = refused.findChild<SmallAccentButton*>();
    ASSERT_NE(allow, nullptr);
    EXPECT_EQ(allow->text(), QStringLiteral("Allow…"));
    EXPECT_EQ(refused.findChild<SwitchToggle*>(), nullptr);
    allow->click();
    allow->click();
    EXPECT_EQ(requests, 2);
    EXPECT_TRUE(settings.suppressSystemHUD());
    const QList<TextView*> texts = refused.findChildren<TextView*>();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const TextView* text) {
        return text->text().startsWith(
            QStringLiteral("Another program holds those keys — VeskNotch has to intercept"));
    }));

    SuppressionCard granted(settings, true, [] {});
    granted.setAttribute(Qt::WA_DontShowOnScreen);
    granted.show();
    EXPECT_TRUE(granted.passThroughRow()->isVisible());
    const qint64 revision = settings.revision();
    granted.findChild<SwitchToggle*>(QStringLiteral("suppressSystemHUD"))->click();
    EXPECT_FALSE(settings.suppressSystemHUD());
    EXPECT_EQ(settings.revision(), revision + 1) << "only the setting";
    EXPECT_FALSE(granted.passThroughRow()->isVisible());
}

TEST_F(SettingsWindowPanesTest, SwitchingPipelinesKeepsTheirLaneOrder) {
    using P = PipelineID;
    const PipelineOrder sevenWithoutZip{P::compressImage, P::convertFormat, P::unzip,    P::stripEXIF,
                                        P::imagesToPDF,   P::rename,        P::copyPaths};
    const auto all = allCases<P>();
    PipelineOrder withZipLast = sevenWithoutZip;
    withZipLast.append(P::zip);
    const struct {
        PipelineOrder stored;
        PipelineID pipeline;
        bool on;
        PipelineSwitch result;
    } cases[] = {
        {{}, P::zip, false, {sevenWithoutZip, false}},
        {sevenWithoutZip, P::zip, true, {withZipLast, false}},
        {{P::rename}, P::rename, false, {{P::rename}, true}},
        {{P::rename, P::zip}, P::rename, true, {{P::rename, P::zip}, false}},
        {{}, P::zip, true, {PipelineOrder(all.begin(), all.end()), false}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(setOn(c.stored, c.pipeline, c.on), c.result);
    EXPECT_TRUE(isPipelineOn({}, P::zip));
    EXPECT_FALSE(isPipelineOn({P::unzip}, P::zip));

    // The last one off keeps its switch on while the lanes go off.
    settings.setPipelineOrder({P::rename});
    QWidget* tray = build(SettingsPane::fileTray);
    child<SwitchToggle>(tray, "pipelineOrder.rename")->click();
    EXPECT_EQ(settings.pipelineOrder(), PipelineOrder{P::rename});
    EXPECT_FALSE(settings.pipelinesEnabled());
    EXPECT_TRUE(child<SwitchToggle>(tray, "pipelineOrder.rename")->isChecked());
}

TEST_F(SettingsWindowPanesTest, NoticesOfFocusAndNowPlaying) {
    auto* focusNotice = build(SettingsPane::focus)->findChild<UnavailableCard*>();
    ASSERT_NE(focusNotice, nullptr) << "Linux has no named modes: always shown";
    EXPECT_EQ(
        focusNotice->detail()->text(),
        QStringLiteral("Your desktop has one do-not-disturb switch and no named modes, so VeskNotch shows a "
                       "generic Focus pill."));

    EXPECT_EQ(build(SettingsPane::nowPlaying)->findChild<UnavailableCard*>(), nullptr);
    SettingsWindowEnvironment fallback = filled();
    fallback.isUniversal = {};
    auto* notice = build(SettingsPane::nowPlaying, fallback)->findChild<UnavailableCard*>();
    ASSERT_NE(notice, nullptr) << "no source reads false";
    EXPECT_EQ(notice->title()->text(), QStringLiteral("Running in fallback mode"));
    EXPECT_EQ(notice->detail()->text(),
              QStringLiteral("VeskNotch's media helper isn't responding, so nothing that "
                             "plays will show in the notch."));
}

TEST_F(SettingsWindowPanesTest, AllowingBluetoothClearsTheNoticeOnceTheServiceAnswers) {
    PermissionState state = PermissionState::denied;
    SettingsRootView* rootView = nullptr;
    SettingsWindowEnvironment environment = filled();
    environment.bluetoothPermission = [&] { return state; };
    // As the bridge does: the service answers later, and its status signal refreshes the window.
    environment.onRequestBluetooth = [&] {
        QMetaObject::invokeMethod(
            rootView,
            [&] {
                state = PermissionState::granted;
                rootView->refreshPaneInputs();
            },
            Qt::QueuedConnection);
    };
    SettingsRootView root(settings, environment, SettingsPane::connectivity);
    rootView = &root;
    auto* notice = root.pane()->findChild<PermissionNeededCard*>();
    ASSERT_NE(notice, nullptr);
    notice->allowButton()->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(root.pane()->findChild<PermissionNeededCard*>(), nullptr);
    for (QWidget* control : root.pane()->findChildren<SwitchToggle*>())
        EXPECT_EQ(dimming::opacity(control), 1.0);
}

TEST_F(SettingsWindowPanesTest, RenderedPanesStartWithACard) {
    for (const auto& [pane, names] : controlTable()) {
        if (pane == SettingsPane::desk) continue; // the preview's stage comes first
        QWidget* body = build(pane);
        const QImage image = test::widgetImage(*holder);
        SettingsCard* first = nullptr;
        for (QWidget* item : body->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            auto* card = qobject_cast<SettingsCard*>(item);
            if (card && card->isVisible()) {
                first = card;
                break;
            }
        }
        ASSERT_NE(first, nullptr) << toRaw(pane).toStdString();
        const QPoint inside =
            first->mapTo(holder.get(), first->cardRect().toRect().topLeft() + QPoint(20, 4));
        EXPECT_TRUE(test::near(test::pixel(image, inside.x(), inside.y()), Vesk::Ink::x850))
            << toRaw(pane).toStdString();
    }
    SettingsWindowEnvironment denied = filled();
    denied.bluetoothPermission = [] { return PermissionState::denied; };
    build(SettingsPane::connectivity, denied);
    auto* notice = holder->findChild<PermissionNeededCard*>();
    const QImage image = test::widgetImage(*notice);
    const QColor edge = test::pixel(image, image.width() / 2, 0);
    EXPECT_GT(edge.red(), edge.blue() + 10) << "an amber outline";
}

} // namespace
} // namespace vesk
