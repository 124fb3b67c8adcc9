#include "Vesk/SettingsWindow/Controls/Dimming.h"
#include "Vesk/SettingsWindow/Controls/NoticeCards.h"
#include "Vesk/SettingsWindow/Controls/SettingsCard.h"
#include "Vesk/SettingsWindow/Controls/SmallAccentButton.h"
#include "Vesk/SettingsWindow/Controls/SwitchToggle.h"
#include "Vesk/SettingsWindow/Controls/TextView.h"
#include "Vesk/SettingsWindow/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/FileTrayPane.h"
#include "Vesk/SettingsWindow/Panes/SoundPanes.h"
#include "Vesk/SettingsWindow/SettingsPaneFactory.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include <set>

namespace vesk {
namespace {

// Everything the panes ask about is there, unless a test says otherwise.
SettingsWindowEnvironment filled() {
    SettingsWindowEnvironment environment;
    environment.canSuppress = [] { return true; };
    environment.brightnessAvailable = [] { return true; };
    environment.bluetoothPermission = [] { return PermissionState::granted; };
    environment.isUniversal = [] { return true; };
    return environment;
}

class SettingsWindowPanesTest : public ::testing::Test {
protected:
    // The pane as the window builds it, laid out at the detail column's width.
    QWidget* build(SettingsPane pane, const SettingsWindowEnvironment& environment = filled()) {
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

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    std::unique_ptr<QWidget> holder;
};

const QList<std::pair<SettingsPane, QStringList>>& controlTable() {
    static const QList<std::pair<SettingsPane, QStringList>> table{
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
         {"connectivityEnabled", "connectivityDuration", "connectivityWarnLow", "connectivityLowThreshold"}},
        {SettingsPane::focus, {"focusEnabled", "focusDuration", "focusReplaceWaveform", "focusHideLabel"}},
        {SettingsPane::nowPlaying,
         {"nowPlayingEnabled", "nowPlayingIdleDuration", "nowPlayingBarStyle.monochrome",
          "nowPlayingBarStyle.colored", "nowPlayingBarStyle.gradient", "nowPlayingPeekOnChange",
          "nowPlayingDisableArtworkFlip", "nowPlayingHideWhileSourceActive"}},
        {SettingsPane::fileTray,
         {"trayMoveOnDrop.copy", "trayMoveOnDrop.move", "trayCopyByDefault.copy", "trayCopyByDefault.move",
          "trayMaxItems", "pipelinesEnabled", "pipelineOrder.compressImage", "pipelineOrder.convertFormat",
          "pipelineOrder.zip", "pipelineOrder.unzip", "pipelineOrder.stripEXIF", "pipelineOrder.imagesToPDF",
          "pipelineOrder.rename", "pipelineOrder.copyPaths"}},
    };
    return table;
}

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
    for (const auto& [pane, names] : controlTable()) {
        settings.setSuppressSystemHUD(true); // both rows of the "System HUDs" section
        QStringList expected = names;
        expected.sort();
        EXPECT_EQ(controls(build(pane)), expected) << toRaw(pane).toStdString();

        for (const QString& name : names) {
            defaults->removeKeys(defaults->dictionaryRepresentation().keys());
            settings.setSuppressSystemHUD(true);
            QWidget* body = build(pane);
            const QString key = name.section(QLatin1Char('.'), 0, 0);
            const QVariantMap before = defaults->dictionaryRepresentation();
            const qint64 revision = settings.revision();
            if (auto* track = body->findChild<SliderTrack*>(name)) {
                track->setFocus();
                QTest::keyClick(track, Qt::Key_Home);
            } else {
                // A picker's tile that is already selected writes again too.
                child<QAbstractButton>(body, name)->click();
            }
            EXPECT_EQ(settings.revision(), revision + 1) << name.toStdString();
            const QStringList changed = changedKeys(before, defaults->dictionaryRepresentation());
            EXPECT_EQ(changed, QStringList{key}) << name.toStdString();
        }
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
            QStringLiteral("Needs Accessibility access — VeskNotch has to intercept"));
    }));

    SuppressionCard granted(settings, true, [] {});
    granted.setAttribute(Qt::WA_DontShowOnScreen);
    granted.show();
    EXPECT_TRUE(granted.passThroughRow()->isVisible());
    const qint64 revision = settings.revision();
    granted.findChild<SwitchToggle*>(QStringLiteral("suppressSystemHUD"))->click();
    EXPECT_FALSE(settings.suppressSystemHUD());
    EXPECT_EQ(settings.revision(), revision + 1)
        << "only the setting; the key tap takes it up when it restarts";
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
        QWidget* body = build(pane);
        const QImage image = test::widgetImage(*holder);
        SettingsCard* first = nullptr;
        for (QWidget* item : body->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if ((first = qobject_cast<SettingsCard*>(item))) break;
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
