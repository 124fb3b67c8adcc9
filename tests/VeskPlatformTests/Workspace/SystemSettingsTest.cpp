#include "VeskPlatform/Workspace/SystemSettings.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

SystemSettings::FindProgram installed(QStringList programs) {
    return
        [programs](const QString& name) { return programs.contains(name) ? "/usr/bin/" + name : QString(); };
}

TEST(SystemSettingsTest, EachDesktopsPageForEachPane) {
    const QStringList both{QStringLiteral("gnome-control-center"), QStringLiteral("systemsettings")};
    struct Case {
        const char* desktop;
        const char* anchor;
        const char* program; // empty: no page
        const char* argument;
    };
    const std::vector<Case> cases{
        {"GNOME", "Privacy_Accessibility", "gnome-control-center", "keyboard"},
        {"ubuntu:GNOME", "Privacy_Bluetooth", "gnome-control-center", "bluetooth"},
        {"GNOME", "Privacy_Calendars", "gnome-control-center", "online-accounts"},
        {"GNOME", "Privacy_Camera", "gnome-control-center", "camera"},
        {"GNOME", "Privacy_ListenEvent", "", ""},
        {"GNOME", "Privacy_AllFiles", "", ""},
        {"KDE", "Privacy_Accessibility", "systemsettings", "kcm_keys"},
        {"KDE", "Privacy_Bluetooth", "systemsettings", "kcm_bluetooth"},
        {"KDE", "Privacy_Camera", "", ""},
        {"XFCE", "Privacy_Bluetooth", "", ""},
        {"GNOME", "Privacy_Nonsense", "", ""},
    };
    for (const Case& c : cases) {
        const SystemSettings settings(QString::fromLatin1(c.desktop), installed(both), {});
        const auto launch = settings.launchFor(QString::fromLatin1(c.anchor));
        if (!*c.program) {
            EXPECT_FALSE(launch.has_value()) << c.desktop << " " << c.anchor;
            continue;
        }
        ASSERT_TRUE(launch.has_value()) << c.desktop << " " << c.anchor;
        EXPECT_EQ(launch->program, QStringLiteral("/usr/bin/") + QLatin1String(c.program));
        EXPECT_EQ(launch->arguments, QStringList{QString::fromLatin1(c.argument)});
    }
}

} // namespace
} // namespace vesk
