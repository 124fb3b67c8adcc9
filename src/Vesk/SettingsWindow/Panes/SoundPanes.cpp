#include "Vesk/SettingsWindow/Panes/SoundPanes.h"

#include "Vesk/Controls/ActivityHeaderCard.h"
#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/Pickers.h"
#include "Vesk/Controls/PreviewSamples.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QVBoxLayout>

namespace vesk {

namespace {

SettingBinding key(SettingsStore& settings, const char* name) {
    return SettingBinding::forKey(settings, QLatin1String(name));
}

SwitchToggle* toggle(SettingsStore& settings, const char* name) {
    return new SwitchToggle(settings, key(settings, name));
}

QList<PickerOption> speeds() {
    return {{QStringLiteral("smooth"), QStringLiteral("Smooth")},
            {QStringLiteral("fast"), QStringLiteral("Fast")},
            {QStringLiteral("instant"), QStringLiteral("Instant")}};
}

} // namespace

SuppressionCard::SuppressionCard(SettingsStore& settings, bool canSuppress, std::function<void()> onRequest,
                                 std::function<void()> onSwitched, QWidget* parent)
    : QWidget(parent) {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(
        new TextView(QStringLiteral("System HUDs"), Vesk::Type_::settingsSection(), Vesk::Stone::x400));
    column->addSpacing(8);
    auto* card = new SettingsCard;
    column->addWidget(card);

    if (!canSuppress) {
        auto* allow = new SmallAccentButton(QStringLiteral("Allow…"));
        allow->setObjectName(QStringLiteral("allowAccessibility"));
        connect(allow, &QAbstractButton::clicked, this, [onRequest = std::move(onRequest)] {
            if (onRequest) onRequest();
        });
        card->addRow(
            new SettingsRow(QStringLiteral("Replace the system HUD"), allow,
                            QStringLiteral("Another program holds those keys — VeskNotch has to intercept "
                                           "them to stop the desktop drawing over it.")));
        return;
    }
    SwitchToggle* replace = toggle(settings, "suppressSystemHUD");
    // Connected after the switch's own write, so this runs with the new value stored.
    connect(replace, &QAbstractButton::clicked, this, [onSwitched = std::move(onSwitched)] {
        if (onSwitched) onSwitched();
    });
    card->addRow(
        new SettingsRow(QStringLiteral("Replace the system HUD"), replace,
                        QStringLiteral("VeskNotch intercepts the volume and brightness keys and applies the "
                                       "change itself, so the desktop never shows its own HUD.")));
    m_passThrough = new SettingsRow(
        QStringLiteral("Keys with no settable volume"),
        new TextView(QStringLiteral("Passed through"), Vesk::Type_::settingsFootnote(), Vesk::Stone::x400),
        QStringLiteral(
            "Some outputs have a fixed level. VeskNotch passes those keys straight through rather than "
            "swallowing them."));
    card->addRow(m_passThrough);
    followSettings(m_passThrough, settings,
                   [this, &settings] { m_passThrough->setVisible(settings.suppressSystemHUD()); });
}

QWidget* makeSoundPane(SettingsStore& settings, bool canSuppress,
                       std::function<void()> onRequestAccessibility,
                       std::function<void()> onSuppressionSwitched) {
    auto* pane = new PaneColumn;
    pane->add(new ActivityHeaderCard(QStringLiteral("Sound"), settings, key(settings, "soundEnabled"),
                                     key(settings, "soundDuration"), 0.5, 10));
    auto* style = new SettingsCard;
    style->addRow(new PreviewPicker(QStringLiteral("Bar"), settings, key(settings, "soundBarStyle"),
                                    {{QStringLiteral("white"), QStringLiteral("White")},
                                     {QStringLiteral("accent"), QStringLiteral("Accent")},
                                     {QStringLiteral("decibel"), QStringLiteral("Decibel")}},
                                    paintBarPreview));
    style->addRow(new PreviewPicker(QStringLiteral("Speed"), settings, key(settings, "soundSpeed"), speeds(),
                                    paintSpeedPreview));
    style->addRow(
        new SettingsRow(QStringLiteral("Show percentage"), toggle(settings, "soundShowPercentage")));
    style->addRow(new SettingsRow(QStringLiteral("Hide device name"), toggle(settings, "soundHideLabel")));
    pane->add(style);
    pane->add(new SuppressionCard(settings, canSuppress, std::move(onRequestAccessibility),
                                  std::move(onSuppressionSwitched)));
    return pane;
}

QWidget* makeDisplayPane(SettingsStore& settings, bool brightnessAvailable, bool canSuppress,
                         std::function<void()> onRequestAccessibility,
                         std::function<void()> onSuppressionSwitched) {
    auto* pane = new PaneColumn;
    if (!brightnessAvailable)
        pane->add(new UnavailableCard(
            QStringLiteral("Brightness isn't readable on this computer"),
            QStringLiteral("VeskNotch reads the built-in display's brightness from its "
                           "backlight. This computer has none it can read, so the Display "
                           "HUD is off.")));
    auto* header =
        new ActivityHeaderCard(QStringLiteral("Display"), settings, key(settings, "displayEnabled"),
                               key(settings, "displayDuration"), 0.5, 10);
    pane->add(header);
    auto* style = new SettingsCard;
    style->addRow(new PreviewPicker(QStringLiteral("Bar"), settings, key(settings, "displayBarStyle"),
                                    {{QStringLiteral("white"), QStringLiteral("White")},
                                     {QStringLiteral("accent"), QStringLiteral("Accent")},
                                     {QStringLiteral("glow"), QStringLiteral("Glow")}},
                                    paintBarPreview));
    style->addRow(new PreviewPicker(QStringLiteral("Speed"), settings, key(settings, "displaySpeed"),
                                    speeds(), paintSpeedPreview));
    style->addRow(
        new SettingsRow(QStringLiteral("Show percentage"), toggle(settings, "displayShowPercentage")));
    pane->add(style);
    dimming::setDimmed(header, !brightnessAvailable);
    dimming::setDimmed(style, !brightnessAvailable);
    pane->addFootnote(
        QStringLiteral("On more than one display VeskNotch reports the built-in panel's brightness, "
                       "which is why the HUD says “Built-in Display”."));
    pane->add(new SuppressionCard(settings, canSuppress, std::move(onRequestAccessibility),
                                  std::move(onSuppressionSwitched)));
    return pane;
}

} // namespace vesk
