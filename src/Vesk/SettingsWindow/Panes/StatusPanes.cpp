#include "Vesk/SettingsWindow/Panes/StatusPanes.h"

#include "Vesk/Controls/ActivityHeaderCard.h"
#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/Pickers.h"
#include "Vesk/Controls/PreviewSamples.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"

namespace vesk {

namespace {

SettingBinding key(SettingsStore& settings, const char* name) {
    return SettingBinding::forKey(settings, QLatin1String(name));
}

SettingsRow* switchRow(SettingsStore& settings, const char* label, const char* name,
                       const QString& footnote = QString()) {
    return new SettingsRow(QString::fromUtf8(label), new SwitchToggle(settings, key(settings, name)),
                           footnote);
}

// A threshold slider that is dimmed while its warning is off.
ValueSlider* thresholdSlider(SettingsStore& settings, const char* name, const char* warning) {
    auto* slider = new ValueSlider(QStringLiteral("Low battery threshold"), settings, key(settings, name), 5,
                                   50, QStringLiteral("%"));
    const auto warn = key(settings, warning).read;
    followSettings(slider, settings, [slider, warn] { dimming::setDimmed(slider, !warn().toBool()); });
    return slider;
}

} // namespace

QWidget* makeBatteryPane(SettingsStore& settings) {
    auto* pane = new PaneColumn;
    pane->add(new ActivityHeaderCard(QStringLiteral("Battery"), settings, key(settings, "batteryEnabled"),
                                     key(settings, "batteryDuration"), 1, 15));
    auto* card = new SettingsCard;
    card->addRow(switchRow(settings, "Low Power Mode changes", "batteryNotifyLowPowerMode"));
    card->addRow(switchRow(settings, "Warn on low battery", "batteryWarnLow"));
    card->addRow(thresholdSlider(settings, "batteryLowThreshold", "batteryWarnLow"));
    card->addRow(switchRow(settings, "Hide percentage", "batteryHidePercentage"));
    pane->add(card);
    pane->addFootnote(
        QStringLiteral("Battery only appears on real transitions — plugged in, unplugged, fully "
                       "charged, or crossing the threshold. Percentage changes on their own never "
                       "raise a pill."));
    return pane;
}

QWidget* makeConnectivityPane(SettingsStore& settings, PermissionState permissionState,
                              std::function<void()> onRequest, bool bluetoothAbsent) {
    auto* pane = new PaneColumn;
    const bool granted = permissionState == PermissionState::granted && !bluetoothAbsent;
    if (bluetoothAbsent)
        pane->add(new UnavailableCard(
            QStringLiteral("Bluetooth isn't available on this computer"),
            QStringLiteral("VeskNotch reads devices and their batteries from the Bluetooth service "
                           "(BlueZ). None is running, so there are no connect or battery pills.")));
    else if (!granted)
        pane->add(new PermissionNeededCard(Permission::bluetooth, std::move(onRequest)));
    auto* header =
        new ActivityHeaderCard(QStringLiteral("Connectivity"), settings, key(settings, "connectivityEnabled"),
                               key(settings, "connectivityDuration"), 1, 15);
    pane->add(header);
    auto* card = new SettingsCard;
    card->addRow(switchRow(settings, "Warn on device low battery", "connectivityWarnLow"));
    card->addRow(thresholdSlider(settings, "connectivityLowThreshold", "connectivityWarnLow"));
    pane->add(card);
    dimming::setDimmed(header, !granted);
    dimming::setDimmed(card, !granted);
    pane->addFootnote(
        QStringLiteral("Battery levels come from the Bluetooth service. When a device doesn't report "
                       "one, VeskNotch shows nothing rather than guessing."));
    return pane;
}

QWidget* makeFocusPane(SettingsStore& settings, bool hasRichIdentity) {
    auto* pane = new PaneColumn;
    pane->add(new ActivityHeaderCard(QStringLiteral("Focus"), settings, key(settings, "focusEnabled"),
                                     key(settings, "focusDuration"), 1, 15));
    auto* card = new SettingsCard;
    card->addRow(switchRow(settings, "Replace the waveform while Focus is on", "focusReplaceWaveform"));
    card->addRow(switchRow(settings, "Hide label", "focusHideLabel"));
    pane->add(card);
    if (!hasRichIdentity)
        pane->add(new UnavailableCard(
            QStringLiteral("VeskNotch can see Focus turn on and off, but not which mode"),
            QStringLiteral("Your desktop has one do-not-disturb switch and no named modes, "
                           "so VeskNotch shows a generic Focus pill.")));
    return pane;
}

QWidget* makeNowPlayingPane(SettingsStore& settings, bool isUniversal) {
    auto* pane = new PaneColumn;
    auto* first = new SettingsCard;
    first->addRow(switchRow(settings, "Now Playing", "nowPlayingEnabled"));
    first->addRow(new ValueSlider(QStringLiteral("Idle duration"), settings,
                                  key(settings, "nowPlayingIdleDuration"), 1, 30, QStringLiteral(" s")));
    pane->add(first);
    auto* second = new SettingsCard;
    second->addRow(new PreviewPicker(QStringLiteral("Progress bar"), settings,
                                     key(settings, "nowPlayingBarStyle"),
                                     {{QStringLiteral("monochrome"), QStringLiteral("Monochrome")},
                                      {QStringLiteral("colored"), QStringLiteral("Artwork")},
                                      {QStringLiteral("gradient"), QStringLiteral("Gradient")}},
                                     paintMediaBarPreview));
    second->addRow(switchRow(settings, "Peek when the track changes", "nowPlayingPeekOnChange"));
    second->addRow(switchRow(settings, "Disable artwork flip", "nowPlayingDisableArtworkFlip"));
    second->addRow(switchRow(settings, "Hide while the playing app is in front",
                             "nowPlayingHideWhileSourceActive",
                             QStringLiteral("Useful if you already have the player on screen.")));
    pane->add(second);
    if (!isUniversal)
        pane->add(
            new UnavailableCard(QStringLiteral("Running in fallback mode"),
                                QStringLiteral("VeskNotch's media helper isn't responding, so nothing that "
                                               "plays will show in the notch.")));
    return pane;
}

} // namespace vesk
