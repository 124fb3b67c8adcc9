#include "Vesk/Shell/LaunchAtLogin.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Autostart/AutostartEntry.h"

#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace vesk {
namespace {

class LaunchAtLoginTest : public ::testing::Test {
protected:
    void SetUp() override { qputenv("VESK_TRACE", "1"); }
    std::unique_ptr<LaunchAtLogin> make() {
        return std::make_unique<LaunchAtLogin>(settings, entry, QStringLiteral("/usr/bin/vesk-notch"),
                                               &scheduler);
    }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler guard{scheduler};
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    QTemporaryDir dir;
    QString entry = dir.filePath(QStringLiteral("autostart/vesk-notch.desktop"));
};

TEST_F(LaunchAtLoginTest, TheSwitchWritesAndRemovesTheEntry) {
    auto launch = make();
    scheduler.runPending();
    EXPECT_FALSE(settings.launchAtLogin());
    settings.setLaunchAtLogin(true);
    scheduler.runPending();
    EXPECT_TRUE(autostart::isEnabled(entry));
    EXPECT_TRUE(settings.launchAtLogin());
    // A quick on, off, on ends as the last one says.
    settings.setLaunchAtLogin(false);
    settings.setLaunchAtLogin(true);
    settings.setLaunchAtLogin(false);
    scheduler.runPending();
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_FALSE(settings.launchAtLogin());
    settings.resetAll();
    scheduler.runPending();
    EXPECT_FALSE(QFile::exists(entry));
}

TEST_F(LaunchAtLoginTest, AtStartTheSettingTakesTheEntrysState) {
    settings.setLaunchAtLogin(true); // the entry was removed with the desktop's tool meanwhile
    auto launch = make();
    const qint64 revision = settings.revision();
    scheduler.runPending();
    EXPECT_FALSE(settings.launchAtLogin());
    EXPECT_EQ(settings.revision(), revision + 1);
    EXPECT_FALSE(QFile::exists(entry)) << "reading writes nothing";

    ASSERT_EQ(autostart::enable(entry, QStringLiteral("/usr/bin/vesk-notch")), std::nullopt);
    auto again = make();
    const qint64 before = settings.revision();
    scheduler.runPending();
    EXPECT_TRUE(settings.launchAtLogin());
    EXPECT_EQ(settings.revision(), before + 1);
}

TEST_F(LaunchAtLoginTest, AFailedWritePutsTheSettingBackAndSaysWhy) {
    // The autostart folder cannot be made: a file stands where it would be.
    QFile blocker(dir.filePath(QStringLiteral("autostart")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    auto launch = make();
    scheduler.runPending();
    settings.setLaunchAtLogin(true);
    scheduler.runPending();
    EXPECT_FALSE(settings.launchAtLogin());
    EXPECT_TRUE(TraceLog::recentLogLines(5).join('\n').contains(
        QStringLiteral("launch at login: could not turn it on")));
}

} // namespace
} // namespace vesk
