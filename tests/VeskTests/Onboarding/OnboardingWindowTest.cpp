#include "Vesk/Onboarding/OnboardingWindow.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Onboarding/OnboardingModel.h"
#include "Vesk/Onboarding/OnboardingParts.h"
#include "Vesk/Onboarding/OnboardingView.h"
#include "Vesk/Permissions/Permissions.h"
#include "Vesk/Shell/ActivationPolicy.h"
#include "Vesk/Shell/AppDelegate.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include "VeskUI/Motion/MotionAnimator.h"
#include "support/EventLoop.h"
#include "support/Notch/WidgetImage.h"
#include "support/Permissions/FakePermissionsHarness.h"
#include "support/Shell/FakeShellParts.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFontMetricsF>
#include <QTest>

namespace vesk {
namespace {

using Step = OnboardingModel::Step;

class OnboardingShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        qunsetenv("VESK_ONBOARDING");
        completed = UserDefaults::standard().object(AppDelegate::hasCompletedOnboardingKey);
        UserDefaults::standard().remove(AppDelegate::hasCompletedOnboardingKey);
    }
    void TearDown() override {
        qunsetenv("VESK_ONBOARDING");
        // The process's store outlives the test: later ones find it as it was.
        UserDefaults::standard().setObject(AppDelegate::hasCompletedOnboardingKey, completed.value_or(QVariant()));
    }
    void launch() {
        auto made = std::make_unique<test::FakeShellFactory>(log, scheduler);
        delegate = std::make_unique<AppDelegate>(std::move(made));
        delegate->setStandardOutput([](const QString&) {});
        delegate->applicationDidFinishLaunching();
    }
    static void welcome() { NotificationCenter::defaultCenter().post(notchNotifications::veskShowWelcome); }
    bool regular() const { return Activation::shared().policy() == ActivationPolicy::regular; }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler mainGuard{scheduler};
    test::CallLog log;
    std::unique_ptr<AppDelegate> delegate;
    std::optional<QVariant> completed;
};

TEST_F(OnboardingShellTest, ShownOnceAfterLaunchKeptWhenClosedAndGoneWhenFinished) {
    launch();
    scheduler.advance(0.79);
    EXPECT_EQ(delegate->onboardingWindow(), nullptr);
    scheduler.advance(0.02);
    OnboardingWindow* window = delegate->onboardingWindow();
    ASSERT_NE(window, nullptr) << "0.8 s after launch";
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->size(), QSize(700, 620));
    EXPECT_TRUE(regular());
    welcome();
    EXPECT_EQ(delegate->onboardingWindow(), window) << "one window";
    EXPECT_EQ(log.count(QStringLiteral("makeOnboardingWindow")), 1);

    // Closed with its button: kept as it was, nothing recorded.
    window->model().advance();
    window->close();
    EXPECT_FALSE(regular());
    welcome();
    EXPECT_EQ(delegate->onboardingWindow(), window);
    EXPECT_EQ(window->model().step(), Step::gestures);
    EXPECT_FALSE(UserDefaults::standard().boolValue(AppDelegate::hasCompletedOnboardingKey));

    // Finished from the last page: recorded, and the next request starts anew.
    window->model().setStep(Step::desk);
    window->view()->primaryButton()->click();
    EXPECT_EQ(delegate->onboardingWindow(), nullptr);
    EXPECT_FALSE(regular());
    UserDefaults::standard().flush();
    EXPECT_TRUE(UserDefaults::atPath(UserDefaults::standard().path())
                    ->boolValue(AppDelegate::hasCompletedOnboardingKey));
    welcome();
    ASSERT_NE(delegate->onboardingWindow(), nullptr);
    EXPECT_EQ(delegate->onboardingWindow()->model().step(), Step::welcome);
}

TEST_F(OnboardingShellTest, NoWindowOnceDoneAndTheHookPicksTheFirstPage) {
    UserDefaults::standard().setBool(AppDelegate::hasCompletedOnboardingKey, true);
    qputenv("VESK_ONBOARDING", "3");
    launch();
    scheduler.advance(2);
    EXPECT_EQ(delegate->onboardingWindow(), nullptr);
    welcome();
    ASSERT_NE(delegate->onboardingWindow(), nullptr);
    EXPECT_EQ(delegate->onboardingWindow()->model().step(), Step::permissions);
}

class OnboardingViewTest : public ::testing::Test, protected test::FakePermissionsHarness {
protected:
    OnboardingViewTest() {
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
    }
    OnboardingView& view() const { return *window.view(); }
    QStringList rowControls() const {
        QStringList controls;
        for (PermissionRow* row : view().permissionRows()) {
            if (auto* button = qobject_cast<QAbstractButton*>(row->control()))
                controls << button->text();
            else if (auto* text = qobject_cast<TextView*>(row->control()))
                controls << text->text();
            else
                controls << QStringLiteral("On");
        }
        return controls;
    }

    int finished = 0;
    OnboardingWindow window{settings, permissions, &holds, [this] { ++finished; }};
};

TEST_F(OnboardingViewTest, TheFooterFollowsTheStepAndReturnPressesThePrimaryButton) {
    EXPECT_FALSE(view().backButton()->isVisible()) << "no Back on the first page";
    EXPECT_EQ(view().primaryButton()->text(), QStringLiteral("Continue"));
    ASSERT_NE(view().demo(), nullptr);
    EXPECT_EQ(view().demo()->script(), DemoScript::overview);
    QApplication::setActiveWindow(&window);
    QTest::keyClick(&window, Qt::Key_Return);
    EXPECT_EQ(window.model().step(), Step::gestures);
    EXPECT_TRUE(view().backButton()->isVisible());
    view().backButton()->click();
    EXPECT_EQ(window.model().step(), Step::welcome);
    EXPECT_EQ(view().demo()->beat(), 0) << "a fresh demo";

    window.model().setStep(Step::desk);
    EXPECT_EQ(view().primaryButton()->text(), QStringLiteral("Start using VeskNotch"));
    QTest::keyClick(&window, Qt::Key_Enter);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(window.model().step(), Step::desk);
}

TEST_F(OnboardingViewTest, PermissionRowsShowEachStateAndTheStuckHelp) {
    layers.bluetooth = BluetoothService::Authorization::denied;
    window.model().refreshPermissions();
    window.model().setStep(Step::permissions);
    EXPECT_EQ(view().demo(), nullptr) << "no illustration on the permissions page";
    EXPECT_EQ(view().page()->findChild<TextView*>(QStringLiteral("title"))->text(),
              QStringLiteral("Two things to check"));
    EXPECT_EQ(rowControls(), (QStringList{QStringLiteral("On"), QStringLiteral("Open Settings")}));
    layers.bluetooth = BluetoothService::Authorization::restricted;
    window.model().refreshPermissions();
    EXPECT_EQ(rowControls(), (QStringList{QStringLiteral("On"), QStringLiteral("Unavailable")}))
        << "no Bluetooth service: nothing to open";

    layers.listen = EventTapService::InputMonitoring::unknown;
    layers.bluetooth = BluetoothService::Authorization::notDetermined;
    window.model().refreshPermissions();
    EXPECT_EQ(rowControls(), (QStringList{QStringLiteral("Allow"), QStringLiteral("Allow")}));
    EXPECT_EQ(view().permissionRows().at(1)->line()->text(),
              QStringLiteral("No connect or battery pills. Everything else is unaffected."));

    // "On" is drawn in sage.
    layers.listen = EventTapService::InputMonitoring::granted;
    window.model().refreshPermissions();
    QWidget* on = view().permissionRows().at(0)->control();
    const QImage image = test::widgetImage(*on);
    bool sage = false;
    for (int x = 0; x < image.width() && !sage; ++x)
        for (int y = 0; y < image.height() && !sage; ++y)
            sage = test::near(image.pixelColor(x, y), Vesk::Semantic::sage, 8);
    EXPECT_TRUE(sage);

    window.model().setStuckPermission(Permission::bluetooth);
    ASSERT_NE(view().stuckHelp(), nullptr);
    EXPECT_EQ(StuckHelp::steps(Permission::bluetooth),
              QStringList{QStringLiteral("Nothing needs to be allowed: VeskNotch uses Bluetooth whenever the "
                                         "Bluetooth service is running.")});
    EXPECT_EQ(view().stuckHelp()->findChild<QAbstractButton*>(QStringLiteral("openSettings"))->text(),
              QStringLiteral("Open Bluetooth"));
    view().stuckHelp()->findChild<QAbstractButton*>(QStringLiteral("dismiss"))->click();
    EXPECT_FALSE(window.model().stuckPermission());
    QCoreApplication::processEvents();
    EXPECT_EQ(view().stuckHelp(), nullptr);
}

TEST_F(OnboardingViewTest, TheButtonSpringsWhenPressedAndTheParagraphIsSpacedOut) {
    AccentButton* button = view().primaryButton();
    EXPECT_EQ(button->pressAmount(), 0.0);
    QTest::mousePress(button, Qt::LeftButton);
    EXPECT_TRUE(button->pressMotion()->isRunning()) << "the press animates";
    ASSERT_TRUE(test::processEventsUntil([&] { return !button->pressMotion()->isRunning(); }));
    EXPECT_EQ(button->pressAmount(), 1.0);
    QTest::mouseRelease(button, Qt::LeftButton);
    EXPECT_TRUE(button->pressMotion()->isRunning()) << "and so does the release";
    ASSERT_TRUE(test::processEventsUntil([&] { return !button->pressMotion()->isRunning(); }));
    EXPECT_EQ(button->pressAmount(), 0.0);

    // The paragraph's lines stand 3 points further apart than the font's own spacing.
    auto* paragraph = view().findChild<TextView*>(QStringLiteral("paragraph"));
    ASSERT_NE(paragraph, nullptr);
    TextView plain(paragraph->text(), onboardingType::body(), Vesk::Stone::x300);
    plain.setWrapping(true, 470);
    const int lines = qRound(plain.heightForWidth(470) / QFontMetricsF(onboardingType::body()).height());
    ASSERT_GE(lines, 2);
    EXPECT_NEAR(paragraph->heightForWidth(470) - plain.heightForWidth(470), 3 * (lines - 1), 1);
}

} // namespace
} // namespace vesk
