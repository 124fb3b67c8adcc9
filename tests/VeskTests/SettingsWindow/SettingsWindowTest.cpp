#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Permissions/ActivationHolds.h"
#include "Vesk/SettingsWindow/SettingsRootView.h"
#include "Vesk/SettingsWindow/WindowFrame.h"
#include "Vesk/Shell/AppDelegate.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Settings/SettingsStore.h"

#include "support/Shell/FakeShellParts.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>

namespace vesk {
namespace {

TEST(SettingsWindowFrameTest, SavedFramesAreRestoredRaisedOrCentred) {
    const QRect primary(0, 0, 1920, 1050);
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QSize size(820, 560), minimum(720, 460);
    const QRect centred(550, 245, 820, 560);
    const struct {
        const char* saved;
        QRect placed;
    } cases[] = {
        {"", centred},
        {"100 80 900 600", QRect(100, 80, 900, 600)},
        {"2000 100 800 500", QRect(2000, 100, 800, 500)}, // on the second screen
        {"5000 100 820 560", centred},                    // its screen is gone
        {"100 80 300 200", QRect(100, 80, 720, 460)},     // raised to the minimum
        {"100 80 -3 200", centred},
        {"a b c d", centred},
        {"1 2 3", centred},
        {"1e300 0 820 560", centred},
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            windowFrame::place(windowFrame::parse(QLatin1String(c.saved)), size, minimum, primary, screens),
            c.placed)
            << c.saved;
    EXPECT_EQ(windowFrame::format(QRect(-10, 20, 800, 500)), QStringLiteral("-10 20 800 500"));
}

class SettingsWindowTest : public ::testing::Test {
protected:
    void SetUp() override { qunsetenv("VESK_SETTINGS"); }
    void TearDown() override { qunsetenv("VESK_SETTINGS"); }

    std::unique_ptr<SettingsWindow> make() {
        auto window = std::make_unique<SettingsWindow>(settings, *defaults, &holds,
                                                       SettingsWindowEnvironment(), initialSettingsPane());
        window->setAttribute(Qt::WA_DontShowOnScreen);
        return window;
    }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    ActivationHolds holds;
};

TEST_F(SettingsWindowTest, TheFrameIsKeptOnHideAndRestoredOnTheNextBuild) {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    defaults->setString(SettingsWindow::frameKey,
                        QStringLiteral("%1 %2 760 500").arg(screen.x() + 10).arg(screen.y() + 20));
    auto window = make();
    EXPECT_EQ(window->geometry(), QRect(screen.x() + 10, screen.y() + 20, 760, 500));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("VeskNotch Settings"));
    EXPECT_EQ(window->minimumSize(), QSize(720, 460));

    window->present();
    EXPECT_TRUE(holds.isRegular()) << "a taskbar entry while shown";
    window->setGeometry(screen.x() + 30, screen.y() + 40, 800, 520);
    window->close();
    EXPECT_FALSE(holds.isRegular());
    EXPECT_TRUE(window->isHidden());
    EXPECT_EQ(defaults->string(SettingsWindow::frameKey),
              QStringLiteral("%1 %2 800 520").arg(screen.x() + 30).arg(screen.y() + 40));
    window.reset();
    EXPECT_EQ(make()->geometry(), QRect(screen.x() + 30, screen.y() + 40, 800, 520));
}

TEST_F(SettingsWindowTest, EnvironmentNamesTheFirstPaneByRawValue) {
    const struct {
        const char* value;
        SettingsPane pane;
    } cases[] = {{"desk", SettingsPane::desk},
                 {"calendar", SettingsPane::calendar},
                 {"Widgets", SettingsPane::general},
                 {"General", SettingsPane::general},
                 {"", SettingsPane::general}};
    for (const auto& c : cases) {
        qputenv("VESK_SETTINGS", c.value);
        EXPECT_EQ(make()->root()->selection(), c.pane) << c.value;
    }
}

class SettingsWindowShellTest : public ::testing::Test {
protected:
    void SetUp() override { qunsetenv("VESK_SETTINGS"); }
    void TearDown() override { qunsetenv("VESK_SETTINGS"); }

    void launch() {
        auto made = std::make_unique<test::FakeShellFactory>(log, scheduler);
        delegate = std::make_unique<AppDelegate>(std::move(made));
        delegate->setStandardOutput([](const QString&) {});
        delegate->applicationDidFinishLaunching();
    }
    static void post(const QString& name) { NotificationCenter::defaultCenter().post(name); }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler mainGuard{scheduler};
    test::CallLog log;
    std::unique_ptr<AppDelegate> delegate;
};

TEST_F(SettingsWindowShellTest, OpeningTwiceMakesOneWindowThatKeepsItsPane) {
    qputenv("VESK_SETTINGS", "desk");
    launch();
    EXPECT_EQ(delegate->settingsWindow(), nullptr);
    post(notchNotifications::veskOpenSettings);
    SettingsWindow* window = delegate->settingsWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->root()->selection(), SettingsPane::desk);

    window->root()->setSelection(SettingsPane::focus);
    window->close();
    qputenv("VESK_SETTINGS", "sound"); // read only when the window is built
    post(notchNotifications::veskOpenSettings);
    EXPECT_EQ(delegate->settingsWindow(), window);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->root()->selection(), SettingsPane::focus);
}

TEST_F(SettingsWindowShellTest, TheDeskOpensSettingsOnThePaneItNamesInOneGo) {
    launch();
    post(notchNotifications::veskOpenSettings);
    post(notchNotifications::veskOpenQuickApps);
    ASSERT_NE(delegate->settingsWindow(), nullptr);
    EXPECT_EQ(delegate->settingsWindow()->root()->selection(), SettingsPane::quickApps);
    post(notchNotifications::veskOpenShortcuts);
    EXPECT_EQ(delegate->settingsWindow()->root()->selection(), SettingsPane::shortcuts);
}

TEST_F(SettingsWindowShellTest, ActivationReadsThePaneInputsAgain) {
    bool granted = false;
    int builds = 0;
    SettingsPaneFactory factory;
    factory.set(SettingsPane::general, {[&](const SettingsWindowEnvironment&) { return PaneInputs{granted}; },
                                        [&](const PaneContext&) -> QWidget* {
                                            ++builds;
                                            return new QWidget;
                                        }});
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    SettingsWindow window(settings, *defaults, nullptr, {}, SettingsPane::general, std::move(factory));
    EXPECT_EQ(builds, 1);
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(&window, &activate);
    EXPECT_EQ(builds, 1);
    granted = true;
    QCoreApplication::sendEvent(&window, &activate);
    EXPECT_EQ(builds, 2);
}

} // namespace
} // namespace vesk
