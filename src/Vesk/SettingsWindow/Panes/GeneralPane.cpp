#include "Vesk/SettingsWindow/Panes/GeneralPane.h"

#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/SelectableText.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/ValueSlider.h"
#include "Vesk/SettingsWindow/Panes/SyncCard.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QVBoxLayout>

namespace vesk {

namespace {

struct Toggle {
    const char* label;
    const char* footnote;
    const char* key;
};

SettingsCard* toggleCard(SettingsStore& settings, std::initializer_list<Toggle> toggles) {
    auto* card = new SettingsCard;
    for (const Toggle& t : toggles)
        card->addRow(new SettingsRow(
            QString::fromUtf8(t.label),
            new SwitchToggle(settings, SettingBinding::forKey(settings, QLatin1String(t.key))),
            t.footnote ? QString::fromUtf8(t.footnote) : QString()));
    return card;
}

} // namespace

QWidget* makeGeneralPane(SettingsStore& settings, const SettingsWindowEnvironment::NotchWindows& notch,
                         SyncCoordinator* sync) {
    auto* pane = new PaneColumn;
    pane->addSection(QStringLiteral("Behaviour"));
    pane->add(toggleCard(
        settings,
        {{"Launch at login", nullptr, "launchAtLogin"},
         {"Glow around the notch",
          "A soft shadow around the panel so it doesn't sit on the desktop as a hard black slab.",
          "progressiveBlur"},
         {"Contrast outline", nullptr, "contrastOutline"},
         {"Haptic feedback", nullptr, "hapticFeedback"},
         {"Expand on hover", "Opens the Desk as soon as the pointer reaches the notch.", "expandOnHover"},
         {"Prevent closing on mouse leave", "Keeps the Desk open while you type in it.",
          "preventCloseOnMouseLeave"},
         {"Demo mode", "Stops the notch hiding when idle. Useful for screen recordings.", "demoMode"}}));
    pane->addSection(QStringLiteral("Gestures"));
    pane->add(toggleCard(settings, {{"Natural movement", nullptr, "naturalMovement"},
                                    {"Swipe to toggle open", nullptr, "swipeToToggleOpen"},
                                    {"Swipe to cycle activity", nullptr, "swipeToCycleActivity"},
                                    {"Swipe to dismiss activity", nullptr, "swipeToDismissActivity"},
                                    {"Swipe to skip media", nullptr, "swipeToSkipMedia"}}));

    pane->addSection(QStringLiteral("Tuning"));
    auto* tuning = new SettingsCard;
    const auto slider = [&settings](const char* label, const char* key, double lowest, double highest,
                                    const char* suffix) {
        return new ValueSlider(QString::fromUtf8(label), settings,
                               SettingBinding::forKey(settings, QLatin1String(key)), lowest, highest,
                               QString::fromUtf8(suffix));
    };
    tuning->addRow(slider("Content padding", "contentPadding", 0, 24, ""));
    tuning->addRow(slider("Notch width", "notchWidthAdjust", -20, 20, " px"));
    tuning->addRow(slider("Notch height", "notchHeightAdjust", -20, 20, " px"));
    pane->add(tuning);
    // Each distinct width or height rebuilds the notch; opening the pane does not.
    const auto rebuild = notch.rebuild;
    auto width = std::make_shared<double>(settings.notchWidthAdjust());
    auto height = std::make_shared<double>(settings.notchHeightAdjust());
    QObject::connect(&settings, &SettingsStore::revisionChanged, tuning, [&settings, rebuild, width, height] {
        for (const auto& [last, now] : {std::pair{width, settings.notchWidthAdjust()},
                                        std::pair{height, settings.notchHeightAdjust()}}) {
            if (*last == now) continue;
            *last = now;
            if (rebuild) rebuild();
        }
    });

    pane->addSection(QStringLiteral("Sync"));
    pane->add(new SyncCard(settings, sync));

    pane->addSection(QStringLiteral("Detected geometry"));
    auto* geometry = new SettingsCard;
    auto* report = new SelectableText(QString(), Vesk::Type_::numeric(), Vesk::Stone::x300);
    report->setObjectName(QStringLiteral("geometryReport"));
    report->setContentsMargins(12, 12, 12, 12);
    const auto read = [report, geometryReport = notch.geometryReport] {
        report->setText(geometryReport ? geometryReport() : QString());
    };
    read();
    if (notch.onRebuilt) notch.onRebuilt(report, read);
    geometry->addRow(report);
    pane->add(geometry);
    return pane;
}

} // namespace vesk
