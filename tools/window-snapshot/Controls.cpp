#include "Scenes.h"

#include "Vesk/Controls/ActivityHeaderCard.h"
#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/NoticeCards.h"
#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/Pickers.h"
#include "Vesk/Controls/PreviewSamples.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QVBoxLayout>

namespace vesk::snapshot {

namespace {

SettingBinding key(SettingsStore& settings, const char* name) {
    return SettingBinding::forKey(settings, QLatin1String(name));
}

} // namespace

QWidget* controlsSheet(SettingsStore& settings) {
    settings.setBatteryWarnLow(false);
    settings.setFocusEnabled(false);
    settings.setTrayMoveOnDrop(true);
    settings.setSoundBarStyle(BarStyle::accent);
    settings.setDisplayBarStyle(BarStyle::glow);
    settings.setSoundDuration(2.7);

    auto* sheet = new PaneColumn;
    sheet->setAutoFillBackground(true);
    QPalette ground = sheet->palette();
    ground.setColor(QPalette::Window, Vesk::Ink::x950);
    sheet->setPalette(ground);
    sheet->column()->setContentsMargins(28, 28, 28, 28);

    sheet->addSection(QStringLiteral("Rows and switches"));
    auto* rows = new SettingsCard;
    rows->addRow(new SettingsRow(QStringLiteral("A switch that is on"),
                                 new SwitchToggle(settings, key(settings, "soundEnabled"))));
    rows->addRow(new SettingsRow(QStringLiteral("A switch that is off"),
                                 new SwitchToggle(settings, key(settings, "batteryWarnLow")),
                                 QStringLiteral("A footnote under the row, in the footnote style.")));
    auto* dimmed = new SettingsRow(QStringLiteral("A dimmed row"),
                                   new SwitchToggle(settings, key(settings, "hapticFeedback")));
    dimming::setDimmed(dimmed, true);
    rows->addRow(dimmed);
    rows->addRow(new SettingsRow(QStringLiteral("A button"), new SmallAccentButton(QStringLiteral("Allow"))));
    rows->addRow(new ValueSlider(QStringLiteral("A slider"), settings, key(settings, "trayMaxItems"), 5, 200,
                                 QStringLiteral(" files")));
    sheet->add(rows);
    sheet->addFootnote(
        QStringLiteral("A footnote under a card wraps at 430 points, however wide the pane is, so "
                       "long explanations stay readable."));

    sheet->addSection(QStringLiteral("Activity header, on and off"));
    sheet->add(new ActivityHeaderCard(QStringLiteral("Sound"), settings, key(settings, "soundEnabled"),
                                      key(settings, "soundDuration"), 0.5, 10));
    sheet->add(new ActivityHeaderCard(QStringLiteral("Focus"), settings, key(settings, "focusEnabled"),
                                      key(settings, "focusDuration"), 1, 15));

    sheet->addSection(QStringLiteral("Notices"));
    for (Permission permission : allCases<Permission>())
        sheet->add(new PermissionNeededCard(permission, [] {}));
    sheet->add(
        new UnavailableCard(QStringLiteral("Something isn't available here"),
                            QStringLiteral("A detail of several sentences. It wraps onto as many lines as "
                                           "it needs and is never cut. The card is as wide as the pane.")));

    sheet->addSection(QStringLiteral("Pickers"));
    auto* pickers = new SettingsCard;
    pickers->addRow(new PreviewPicker(QStringLiteral("Bar"), settings, key(settings, "soundBarStyle"),
                                      {{QStringLiteral("white"), QStringLiteral("White")},
                                       {QStringLiteral("accent"), QStringLiteral("Accent")},
                                       {QStringLiteral("decibel"), QStringLiteral("Decibel")}},
                                      paintBarPreview));
    pickers->addRow(new PreviewPicker(QStringLiteral("Bar"), settings, key(settings, "displayBarStyle"),
                                      {{QStringLiteral("white"), QStringLiteral("White")},
                                       {QStringLiteral("accent"), QStringLiteral("Accent")},
                                       {QStringLiteral("glow"), QStringLiteral("Glow")}},
                                      paintBarPreview));
    pickers->addRow(new PreviewPicker(QStringLiteral("Speed"), settings, key(settings, "soundSpeed"),
                                      {{QStringLiteral("smooth"), QStringLiteral("Smooth")},
                                       {QStringLiteral("fast"), QStringLiteral("Fast")},
                                       {QStringLiteral("instant"), QStringLiteral("Instant")}},
                                      paintSpeedPreview));
    pickers->addRow(new PreviewPicker(QStringLiteral("Progress bar"), settings,
                                      key(settings, "nowPlayingBarStyle"),
                                      {{QStringLiteral("monochrome"), QStringLiteral("Monochrome")},
                                       {QStringLiteral("colored"), QStringLiteral("Artwork")},
                                       {QStringLiteral("gradient"), QStringLiteral("Gradient")}},
                                      paintMediaBarPreview));
    pickers->addRow(new SettingsPicker(
        QStringLiteral("When you drop a file on the notch"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayMoveOnDrop"), TrayDropMode::move)));
    pickers->addRow(new SettingsPicker(
        QStringLiteral("When you drag an item off the shelf"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayCopyByDefault"), TrayDropMode::copy)));
    sheet->add(pickers);
    sheet->column()->addStretch(1);
    return sheet;
}

} // namespace vesk::snapshot
