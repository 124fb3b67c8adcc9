#include "VeskKit/Diagnostics/BuildProfile.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <utility>

namespace vesk {

const Capability Capability::universalNowPlaying{1};
const Capability Capability::mediaSeek{2};
const Capability Capability::mediaShuffleRepeat{4};
const Capability Capability::hudSuppression{8};
const Capability Capability::brightnessControl{16};
const Capability Capability::focusIdentity{32};
const Capability Capability::shortcutListing{64};
const Capability Capability::liveWaveform{128};
const Capability Capability::deviceBattery{256};
const Capability Capability::idleSurface{512};

namespace {

constexpr std::array<std::pair<Capability::Unavailability, const char*>, 4> unavailabilityMessages{{
    {Capability::Unavailability::sandboxed, "Not available in the Flatpak version."},
    {Capability::Unavailability::permissionRequired, "Needs a permission you haven't granted."},
    {Capability::Unavailability::osUnsupported, "Not available on this version of your desktop."},
    {Capability::Unavailability::helperUnavailable, "The media helper isn't responding."},
}};

constexpr qint64 sandboxedCapabilities = 279;
constexpr qint64 directCapabilities = 1023;

} // namespace

QString Capability::message(Unavailability reason) {
    for (const auto& [r, message] : unavailabilityMessages)
        if (r == reason) return QString::fromUtf8(message);
    return {};
}

std::optional<Capability::Unavailability> Capability::unavailabilityFromRaw(const QString& message) {
    for (const auto& [r, text] : unavailabilityMessages)
        if (message == QString::fromUtf8(text)) return r;
    return std::nullopt;
}

BuildProfile::BuildProfile(std::optional<bool> sandboxed)
    : isSandboxed(sandboxed.value_or(detectSandbox())), capabilities{isSandboxed ? sandboxedCapabilities
                                                                                 : directCapabilities} {}

const BuildProfile& BuildProfile::current() {
    static const BuildProfile profile;
    return profile;
}

bool BuildProfile::detectSandbox() {
    if (qEnvironmentVariableIsSet("APP_SANDBOX_CONTAINER_ID")) return true;
    if (QDir::homePath().contains(QLatin1String("/Library/Containers/"))) return true;
    return QFileInfo::exists(QStringLiteral("/.flatpak-info"));
}

std::optional<Capability::Unavailability> BuildProfile::unavailability(Capability capability) const {
    if (has(capability)) return std::nullopt;
    return isSandboxed ? Capability::Unavailability::sandboxed
                       : Capability::Unavailability::permissionRequired;
}

} // namespace vesk
