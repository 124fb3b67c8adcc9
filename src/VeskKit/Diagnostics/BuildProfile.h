#pragma once

#include <QString>

#include <optional>

namespace vesk {

// Features that one flavour of the program may lack, as a set of flags.
struct Capability {
    qint64 rawValue = 0;

    enum class Unavailability { sandboxed, permissionRequired, osUnsupported, helperUnavailable };
    // The user-facing message, which is also the raw value.
    static QString message(Unavailability reason);
    static std::optional<Unavailability> unavailabilityFromRaw(const QString& message);

    static const Capability universalNowPlaying;
    static const Capability mediaSeek;
    static const Capability mediaShuffleRepeat;
    static const Capability hudSuppression;
    static const Capability brightnessControl;
    static const Capability focusIdentity;
    static const Capability shortcutListing;
    static const Capability liveWaveform;
    static const Capability deviceBattery;
    static const Capability idleSurface;

    bool contains(Capability other) const { return (rawValue & other.rawValue) == other.rawValue; }
    bool isEmpty() const { return rawValue == 0; }
    Capability operator|(Capability other) const { return {rawValue | other.rawValue}; }
    Capability operator&(Capability other) const { return {rawValue & other.rawValue}; }
    Capability subtracting(Capability other) const { return {rawValue & ~other.rawValue}; }
    friend bool operator==(const Capability&, const Capability&) = default;
};

// Which flavour is running and what it may do. The sandboxed flavour is the program
// inside a Flatpak sandbox (or a platform container); everything else is direct.
struct BuildProfile {
    bool isSandboxed = false;
    Capability capabilities;

    // nullopt detects the flavour now.
    explicit BuildProfile(std::optional<bool> isSandboxed = std::nullopt);

    // The running build's profile, detected once on first use from any thread.
    static const BuildProfile& current();
    static bool detectSandbox();

    bool has(Capability capability) const { return capabilities.contains(capability); }
    std::optional<Capability::Unavailability> unavailability(Capability capability) const;

    friend bool operator==(const BuildProfile&, const BuildProfile&) = default;
};

} // namespace vesk
