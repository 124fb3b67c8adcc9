#include "VeskKit/Diagnostics/BuildProfile.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace vesk;

namespace {

const Capability allMembers[] = {Capability::universalNowPlaying, Capability::mediaSeek,
                                 Capability::mediaShuffleRepeat,  Capability::hudSuppression,
                                 Capability::brightnessControl,   Capability::focusIdentity,
                                 Capability::shortcutListing,     Capability::liveWaveform,
                                 Capability::deviceBattery,       Capability::idleSurface};

} // namespace

TEST(BuildProfileTest, FlagValuesAndFlavourCapabilitySets) {
    qint64 expected = 1;
    for (const Capability& c : allMembers) {
        EXPECT_EQ(c.rawValue, expected);
        expected *= 2;
    }
    EXPECT_EQ(BuildProfile(true).capabilities.rawValue, 279);
    EXPECT_EQ(BuildProfile(false).capabilities.rawValue, 1023);
}

TEST(BuildProfileTest, DirectBuildHasEverythingAndSandboxedBuildExplainsWhatItLacks) {
    const BuildProfile direct(false);
    for (const Capability& c : allMembers) {
        EXPECT_TRUE(direct.has(c));
        EXPECT_FALSE(direct.unavailability(c));
    }
    const BuildProfile sandboxed(true);
    EXPECT_EQ(Capability::message(*sandboxed.unavailability(Capability::hudSuppression)),
              QStringLiteral("Not available in the App Store version."));
    EXPECT_FALSE(sandboxed.has(Capability::mediaSeek | Capability::hudSuppression));
    EXPECT_TRUE(sandboxed.has(Capability{}));
    EXPECT_TRUE(direct.has(Capability{}));

    BuildProfile directMissing(false);
    directMissing.capabilities = directMissing.capabilities.subtracting(Capability::liveWaveform);
    EXPECT_EQ(directMissing.unavailability(Capability::liveWaveform), Capability::Unavailability::permissionRequired);
}

TEST(BuildProfileTest, UnavailabilityMessagesRoundTrip) {
    using U = Capability::Unavailability;
    EXPECT_EQ(Capability::message(U::permissionRequired), QStringLiteral("Needs a permission you haven't granted."));
    EXPECT_EQ(Capability::message(U::osUnsupported), QStringLiteral("Not available on this version of macOS."));
    EXPECT_EQ(Capability::message(U::helperUnavailable), QStringLiteral("The media helper isn't responding."));
    for (U u : {U::sandboxed, U::permissionRequired, U::osUnsupported, U::helperUnavailable})
        EXPECT_EQ(Capability::unavailabilityFromRaw(Capability::message(u)), u);
    EXPECT_FALSE(Capability::unavailabilityFromRaw(QStringLiteral("Not available")));
}

TEST(BuildProfileTest, SandboxDetection) {
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/tmp/plain-home");
    const bool flatpak = QFile::exists(QStringLiteral("/.flatpak-info"));
    EXPECT_EQ(BuildProfile::detectSandbox(), flatpak);

    qputenv("APP_SANDBOX_CONTAINER_ID", "");
    EXPECT_TRUE(BuildProfile::detectSandbox());
    qunsetenv("APP_SANDBOX_CONTAINER_ID");

    qputenv("HOME", "/Users/a/Library/Containers/x/Data");
    EXPECT_TRUE(BuildProfile::detectSandbox());
    qputenv("HOME", home);
    EXPECT_EQ(BuildProfile::current().isSandboxed, BuildProfile::detectSandbox());
}
