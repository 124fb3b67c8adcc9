#include "VeskPlatform/Autostart/AutostartEntry.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gio/gdesktopappinfo.h>

namespace vesk {
namespace {

bool writeFile(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

TEST(AutostartEntryTest, TheEntryStartsTheProgramAsTheDesktopLaunchesIt) {
    QTemporaryDir dir;
    // A path with the characters the Exec value must escape. (GLib checks the program
    // exists before it undoubles "%%", so a "%" in the path is checked on the text alone.)
    const QString folder = dir.filePath(QStringLiteral("odd dir \"quoted\" $HOME `x` back\\slash"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString marker = dir.filePath(QStringLiteral("ran"));
    const QString program = folder + QStringLiteral("/run me.sh");
    ASSERT_TRUE(writeFile(program, "#!/bin/sh\necho ran > '" + QFile::encodeName(marker) + "'\n"));
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString entry = dir.filePath(QStringLiteral("autostart/vesk-notch.desktop"));
    EXPECT_FALSE(autostart::isEnabled(entry));
    ASSERT_EQ(autostart::enable(entry, program), std::nullopt);
    EXPECT_TRUE(autostart::isEnabled(entry));

    GDesktopAppInfo* info = g_desktop_app_info_new_from_filename(QFile::encodeName(entry).constData());
    ASSERT_NE(info, nullptr);
    GError* error = nullptr;
    const gboolean launched = g_app_info_launch(G_APP_INFO(info), nullptr, nullptr, &error);
    const QString reason = error ? QString::fromUtf8(error->message) : QString();
    if (error) g_error_free(error);
    g_object_unref(info);
    ASSERT_TRUE(launched) << qPrintable(reason);
    EXPECT_TRUE(test::processEventsUntil([&] { return QFile::exists(marker); }, 20000))
        << "the entry never ran " << qPrintable(program);

    EXPECT_EQ(autostart::execValue(QStringLiteral("/opt/a 100%/v")), QStringLiteral("\"/opt/a 100%%/v\""));
}

TEST(AutostartEntryTest, OffRemovesOnlyOurRegularFileAndDisabledEntriesReadOff) {
    QTemporaryDir dir;
    const QString entry = dir.filePath(QStringLiteral("vesk-notch.desktop"));
    ASSERT_EQ(autostart::enable(entry, QStringLiteral("/usr/bin/vesk-notch")), std::nullopt);
    ASSERT_EQ(autostart::disable(entry), std::nullopt);
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_EQ(autostart::disable(entry), std::nullopt) << "nothing to remove is no failure";

    const QString elsewhere = dir.filePath(QStringLiteral("elsewhere.desktop"));
    ASSERT_EQ(autostart::enable(elsewhere, QStringLiteral("/usr/bin/vesk-notch")), std::nullopt);
    ASSERT_TRUE(QFile::link(elsewhere, entry));
    EXPECT_TRUE(autostart::disable(entry).has_value()) << "a link is not ours to remove";
    EXPECT_TRUE(QFileInfo(entry).isSymLink());
    EXPECT_TRUE(QFile::exists(elsewhere));
    QFile::remove(entry);

    const struct {
        const char* text;
        bool enabled;
    } entries[] = {
        {"[Desktop Entry]\nType=Application\nExec=x\n", true},
        {"[Desktop Entry]\nType=Application\nExec=x\nHidden=true\n", false},
        {"[Desktop Entry]\nType=Application\nExec=x\nX-GNOME-Autostart-enabled=false\n", false},
        {"[Desktop Entry]\nType=Application\nExec=x\nX-GNOME-Autostart-enabled=true\n", true},
        {"not a key file at all", false},
    };
    for (const auto& e : entries) {
        ASSERT_TRUE(writeFile(entry, e.text));
        EXPECT_EQ(autostart::isEnabled(entry), e.enabled) << e.text;
    }
}

} // namespace
} // namespace vesk
