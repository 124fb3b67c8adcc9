#include "VeskKit/Diagnostics/BuildProfile.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace vesk;

TEST(BuildProfileTest, DirectBuildHasEverythingAndSandboxedBuildExplainsWhatItLacks) {
    const BuildProfile direct(false);
    const BuildProfile sandboxed(true);
    EXPECT_EQ(direct.capabilities.rawValue, 1023);
    // Now playing, seek, shuffle and repeat, brightness and device batteries.
    EXPECT_EQ(sandboxed.capabilities.rawValue, 279);
    EXPECT_FALSE(direct.unavailability(Capability::idleSurface));
    EXPECT_EQ(Capability::message(*sandboxed.unavailability(Capability::hudSuppression)),
              QStringLiteral("Not available in the Flatpak version."));
    EXPECT_FALSE(sandboxed.has(Capability::mediaSeek | Capability::hudSuppression));
    EXPECT_TRUE(sandboxed.has(Capability{}));

    BuildProfile directMissing(false);
    directMissing.capabilities = directMissing.capabilities.subtracting(Capability::liveWaveform);
    EXPECT_EQ(directMissing.unavailability(Capability::liveWaveform),
              Capability::Unavailability::permissionRequired);
}

TEST(BuildProfileTest, UnavailabilityMessagesRoundTrip) {
    using U = Capability::Unavailability;
    for (U u : {U::sandboxed, U::permissionRequired, U::osUnsupported, U::helperUnavailable})
        EXPECT_EQ(Capability::unavailabilityFromRaw(Capability::message(u)), u);
    EXPECT_FALSE(Capability::unavailabilityFromRaw(QStringLiteral("Not available")));
}

TEST(BuildProfileTest, SandboxDetection) {
    qunsetenv("APP_SANDBOX_CONTAINER_ID");
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", "/tmp/plain-home");
    EXPECT_EQ(BuildProfile::detectSandbox(), QFile::exists(QStringLiteral("/.flatpak-info")));

    qputenv("APP_SANDBOX_CONTAINER_ID", "");
    EXPECT_TRUE(BuildProfile::detectSandbox());
    qunsetenv("APP_SANDBOX_CONTAINER_ID");

    qputenv("HOME", "/Users/a/Library/Containers/x/Data");
    EXPECT_TRUE(BuildProfile::detectSandbox());
    qputenv("HOME", home);
    EXPECT_EQ(BuildProfile::current().isSandboxed, BuildProfile::detectSandbox());
}
