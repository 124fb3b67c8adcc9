// The System HUDs card's "Allow…" in the running shell, on the test's X server with a
// private sound server (so the volume keys are wanted) and another X client that may
// hold one of them.
#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/SettingsWindow/SettingsWindow.h"
#include "Vesk/Shell/AppDelegate.h"
#include "Vesk/Shell/ShellFactory.h"
#include "VeskKit/Foundation/NotificationCenter.h"

#include "support/Audio/PulseDaemon.h"
#include "support/DBusFixture.h"
#include "support/EventLoop.h"
#include "support/X11/Bystander.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <X11/XF86keysym.h>

#include <csignal>

namespace vesk {
namespace {

using test::processEventsUntil;

QAbstractButton* allowButton(SettingsWindow* window) {
    if (!window) return nullptr;
    for (QAbstractButton* button :
         window->findChildren<QAbstractButton*>(QStringLiteral("allowAccessibility")))
        if (button->isVisibleTo(window)) return button;
    return nullptr;
}

// While another program holds a volume key, "Allow…" stays and the desktop's keyboard
// page is opened; once it let go, the switch takes its place and the keys are taken.
TEST(AllowAccessibilityX11Test, AllowTriesTheKeysAndFollowsTheAnswer) {
    test::PrivateBuses buses;
    ASSERT_TRUE(buses.ok()) << qPrintable(buses.error());
    // The desktop's libraries in this process end it with SIGTERM when a bus they use
    // closes, as the test's own buses do once it is over: by then that is no reason.
    struct IgnoreTerminationAtTheEnd {
        ~IgnoreTerminationAtTheEnd() { std::signal(SIGTERM, SIG_IGN); }
    } ignoreTermination;
    qputenv("GSETTINGS_BACKEND", "memory");
    test::PulseDaemon pulse;
    ASSERT_TRUE(pulse.start()) << qPrintable(pulse.error());
    test::Bystander bystander;
    ASSERT_TRUE(bystander.ok());
    ASSERT_TRUE(bystander.grab(XF86XK_AudioRaiseVolume));

    // The desktop's settings program, as a stand-in that notes what it was asked for.
    QTemporaryDir bin;
    const QString asked = bin.filePath(QStringLiteral("asked"));
    QFile settingsProgram(bin.filePath(QStringLiteral("gnome-control-center")));
    ASSERT_TRUE(settingsProgram.open(QIODevice::WriteOnly));
    settingsProgram.write(QStringLiteral("#!/bin/sh\necho \"$@\" >> '%1'\n").arg(asked).toUtf8());
    settingsProgram.close();
    settingsProgram.setPermissions(settingsProgram.permissions() | QFileDevice::ExeOwner);
    qputenv("PATH", bin.path().toUtf8() + ':' + qgetenv("PATH"));
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    qputenv("PULSE_SERVER", pulse.server().toUtf8());
    qputenv("VESK_NO_BT", "");

    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + QStringLiteral("/Vesk");
    QDir().mkpath(folder);
    QFile defaults(folder + QStringLiteral("/defaults.json"));
    ASSERT_TRUE(defaults.open(QIODevice::WriteOnly));
    defaults.write(R"({"hasCompletedOnboarding": true, "suppressSystemHUD": true})");
    defaults.close();

    AppDelegate delegate(systemShellFactory());
    delegate.applicationDidFinishLaunching();
    // The services start once the notch's first frame is on screen.
    ASSERT_TRUE(processEventsUntil([&] { return delegate.bridge() && delegate.bridge()->bridge(); }))
        << "the services never started";
    const EventTapService& tap = delegate.bridge()->bridge()->eventTap();
    ASSERT_TRUE(processEventsUntil([&] { return !tap.hasAccessibility(); }))
        << "the held key was never refused: " << qPrintable(describe(tap.status()));

    qputenv("VESK_SETTINGS", "sound");
    NotificationCenter::defaultCenter().post(notchNotifications::veskOpenSettings);
    ASSERT_TRUE(processEventsUntil([&] { return allowButton(delegate.settingsWindow()); }))
        << "the card shows no \"Allow…\"";

    allowButton(delegate.settingsWindow())->click();
    ASSERT_TRUE(processEventsUntil([&] {
        QFile file(asked);
        return file.open(QIODevice::ReadOnly) && file.readAll().trimmed() == "keyboard";
    })) << "the keyboard page was not asked for";
    ASSERT_TRUE(allowButton(delegate.settingsWindow())) << "the card no longer shows \"Allow…\"";
    EXPECT_FALSE(tap.hasAccessibility());

    bystander.release(XF86XK_AudioRaiseVolume);
    allowButton(delegate.settingsWindow())->click();
    EXPECT_TRUE(processEventsUntil([&] { return !allowButton(delegate.settingsWindow()); }))
        << "the switch did not take the place of \"Allow…\"";
    EXPECT_TRUE(tap.hasAccessibility());
    // The setting was on all along: the tap takes the keys now, not at the next start.
    EXPECT_EQ(tap.status(),
              EventTapService::Status(EventTapService::Running{EventTapService::Mode::intercept}))
        << qPrintable(describe(tap.status()));
    QFile file(asked);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().count('\n'), 1) << "the keyboard page was opened although nothing was held";
    // The switch in its place takes effect at once.
    delegate.settingsWindow()->findChild<SwitchToggle*>(QStringLiteral("suppressSystemHUD"))->click();
    EXPECT_EQ(tap.status(), EventTapService::Status(EventTapService::Running{EventTapService::Mode::listen}));
    delegate.applicationWillTerminate();
}

} // namespace
} // namespace vesk
