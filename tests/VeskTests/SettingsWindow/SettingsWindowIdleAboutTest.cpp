#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/SettingsWindow/Panes/AboutPane.h"
#include "Vesk/SettingsWindow/Panes/IdleLockPane.h"
#include "VeskKit/Foundation/NotificationCenter.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Idle/IdleService.h"

#include "support/ManualScheduler.h"
#include "support/Session/FakeSessionLayers.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QTest>

namespace vesk {
namespace {

Date todayAt(int hour, int minute) {
    return Date::fromDateTime(QDateTime(QDate::currentDate(), QTime(hour, minute)));
}

TEST(SettingsWindowIdleLockTest, StatusLineTable) {
    EXPECT_EQ(keepAwakeStatus(false, todayAt(9, 35)),
              QStringLiteral("Your display sleeps on its normal schedule."));
    EXPECT_EQ(keepAwakeStatus(true, std::nullopt),
              QStringLiteral("The display won't sleep until you switch this off."));
    EXPECT_EQ(keepAwakeStatus(true, todayAt(9, 35)), QStringLiteral("The display won't sleep until 09:35."));
}

class SettingsWindowIdleLockPaneTest : public ::testing::Test {
protected:
    SettingsWindowIdleLockPaneTest() {
        auto owned = std::make_unique<test::FakePowerAssertion>();
        assertion = owned.get();
        idle = std::make_unique<IdleService>(std::move(owned), std::make_unique<test::FakeSessionEvents>(),
                                             &scheduler, &scheduler.clock());
        pane.reset(makeIdleLockPane(settings, idle.get(), [this] {
            ++toggles;
            idle->toggleKeepAwake(KeepAwakeDuration(int(settings.keepAwakeDuration())));
        }));
    }
    SwitchToggle* keepAwake() const { return pane->findChild<SwitchToggle*>(QStringLiteral("keepAwake")); }
    SettingsRow* row() const { return qobject_cast<SettingsRow*>(keepAwake()->parentWidget()); }

    test::ManualScheduler scheduler{todayAt(9, 5)};
    test::ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    test::FakePowerAssertion* assertion = nullptr;
    std::unique_ptr<IdleService> idle;
    int toggles = 0;
    std::unique_ptr<QWidget> pane;
};

TEST_F(SettingsWindowIdleLockPaneTest, TheSwitchShowsWhatTheServiceDoes) {
    EXPECT_EQ(row()->label()->text(), QStringLiteral("Let your computer sleep"));
    EXPECT_TRUE(
        pane->findChild<QAbstractButton*>(QStringLiteral("keepAwakeDuration.indefinite"))->isChecked());
    EXPECT_TRUE(pane->findChild<SwitchToggle*>(QStringLiteral("showLockActivity"))->isChecked());
    EXPECT_FALSE(pane->findChild<SwitchToggle*>(QStringLiteral("lockSoundsEnabled"))->isChecked());

    // Refused: one request, and the switch stays off.
    assertion->accepts = false;
    keepAwake()->click();
    EXPECT_EQ(toggles, 1);
    EXPECT_FALSE(keepAwake()->isChecked());

    // Thirty minutes from 09:05.
    assertion->accepts = true;
    pane->findChild<QAbstractButton*>(QStringLiteral("keepAwakeDuration.thirtyMinutes"))->click();
    EXPECT_EQ(settings.keepAwakeDuration(), KeepAwakeDurationSetting::thirtyMinutes);
    keepAwake()->click();
    EXPECT_TRUE(keepAwake()->isChecked());
    EXPECT_EQ(row()->label()->text(), QStringLiteral("Your computer is staying awake"));
    EXPECT_EQ(row()->footnote()->text(), QStringLiteral("The display won't sleep until 09:35."));

    // It ends by itself at its expiry.
    scheduler.advance(30 * 60 + 1);
    EXPECT_FALSE(keepAwake()->isChecked());
    EXPECT_EQ(row()->footnote()->text(), QStringLiteral("Your display sleeps on its normal schedule."));
}

AboutFacts facts(const QString& version, bool sandboxed, const QString& website) {
    AboutFacts f;
    f.version = version;
    f.isSandboxed = sandboxed;
    f.website = website;
    return f;
}

TEST(SettingsWindowAboutTest, IdentityAndUpdatesTexts) {
    EXPECT_EQ(aboutVersion(QStringLiteral("1.4")), QStringLiteral("Version 1.4 (—)"));
    EXPECT_EQ(aboutVersion(QString()), QStringLiteral("Version — (—)"));
    EXPECT_EQ(aboutEdition(facts({}, true, {})), QStringLiteral("Flatpak edition"));
    EXPECT_EQ(aboutEdition(facts({}, false, {})), QStringLiteral("Direct edition"));
    EXPECT_EQ(aboutEdition(facts({}, false, QStringLiteral("https://vesk.example/"))),
              QStringLiteral("Direct edition — from vesk.example"));

    std::unique_ptr<QWidget> pane(makeAboutPane(facts(aboutVersion(QStringLiteral("1.0")), false, {})));
    EXPECT_EQ(pane->findChild<TextView*>(QStringLiteral("edition"))->text(),
              QStringLiteral("Direct edition"));
    EXPECT_EQ(pane->findChild<TextView*>(QStringLiteral("updatesNote"))->text(),
              QStringLiteral("Updates arrive through your package manager, like any other app."));
    EXPECT_EQ(pane->findChildren<QAbstractButton*>().size(), 1) << "no links without a site";
    int welcomes = 0;
    QObject context;
    NotificationCenter::defaultCenter().observe(notchNotifications::veskShowWelcome, &context,
                                                [&](const Notification&) { ++welcomes; });
    pane->findChild<QAbstractButton*>(QStringLiteral("showWelcome"))->click();
    EXPECT_EQ(welcomes, 1);

    std::unique_ptr<QWidget> withSite(
        makeAboutPane(facts({}, false, QStringLiteral("https://vesk.example"))));
    EXPECT_EQ(withSite->findChildren<QAbstractButton*>().size(), 4) << "Website, Support, Privacy Policy";
}

TEST(SettingsWindowAboutTest, TheVersionCanBeSelectedAndCopied) {
    std::unique_ptr<QWidget> pane(makeAboutPane(facts(aboutVersion(QStringLiteral("1.4")), false, {})));
    pane->setAttribute(Qt::WA_DontShowOnScreen);
    pane->resize(600, 400);
    pane->show();
    auto* version = pane->findChild<QLabel*>(QStringLiteral("version"));
    ASSERT_NE(version, nullptr);
    QGuiApplication::clipboard()->clear();
    // Dragged across with the mouse, then Ctrl+C.
    const int y = version->height() / 2;
    QTest::mousePress(version, Qt::LeftButton, {}, QPoint(0, y));
    QMouseEvent drag(QEvent::MouseMove, QPointF(version->width() - 1, y),
                     version->mapToGlobal(QPointF(version->width() - 1, y)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(version, &drag);
    QTest::mouseRelease(version, Qt::LeftButton, {}, QPoint(version->width() - 1, y));
    EXPECT_EQ(version->selectedText(), QStringLiteral("Version 1.4 (—)"));
    QTest::keyClick(version, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Version 1.4 (—)"));

    // The context menu's Copy does the same.
    QGuiApplication::clipboard()->clear();
    QContextMenuEvent menuAsked(QContextMenuEvent::Mouse, QPoint(2, y), version->mapToGlobal(QPoint(2, y)));
    QApplication::sendEvent(version, &menuAsked);
    auto* menu = version->findChild<QMenu*>();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions().first()->text(), QStringLiteral("Copy"));
    menu->actions().first()->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("Version 1.4 (—)"));
    menu->close();
}

} // namespace
} // namespace vesk
