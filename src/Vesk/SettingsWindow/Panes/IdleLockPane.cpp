#include "Vesk/SettingsWindow/Panes/IdleLockPane.h"

#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Idle/IdleService.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QDateTime>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

QString chipTitle(KeepAwakeDurationSetting duration) {
    switch (duration) {
    case KeepAwakeDurationSetting::indefinite:
        return QStringLiteral("Until I turn it off");
    case KeepAwakeDurationSetting::thirtyMinutes:
        return QStringLiteral("30 minutes");
    case KeepAwakeDurationSetting::oneHour:
        return QStringLiteral("1 hour");
    case KeepAwakeDurationSetting::twoHours:
        return QStringLiteral("2 hours");
    }
    return {};
}

// A duration chip: the accent capsule when it is the stored duration.
class Chip final : public QAbstractButton {
public:
    Chip(const QString& text, QWidget* parent) : QAbstractButton(parent) {
        setText(text);
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override {
        const QFontMetricsF metrics(systemFont(11, QFont::Medium));
        return {int(std::ceil(metrics.horizontalAdvance(text()) + 20)),
                int(std::ceil(metrics.height() + 10))};
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(isChecked() ? Vesk::Accent::x500 : Vesk::Ink::x800);
        const QRectF capsule(rect());
        painter.drawRoundedRect(capsule, capsule.height() / 2, capsule.height() / 2);
        painter.setFont(systemFont(11, QFont::Medium));
        painter.setPen(isChecked() ? Vesk::Accent::on : Vesk::Stone::x200);
        painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, text());
    }
};

SwitchToggle* settingSwitch(SettingsStore& settings, const char* key) {
    return new SwitchToggle(settings, SettingBinding::forKey(settings, QLatin1String(key)));
}

// "systemd-inhibit --list" as one unbreakable piece: non-breaking hyphens (U+2011) and
// a no-break space.
QString inhibitorCommand() {
    return QStringLiteral("systemd\u2011inhibit\u00A0\u2011\u2011list");
}

} // namespace

QString keepAwakeStatus(bool keepingAwake, const std::optional<Date>& until) {
    if (!keepingAwake) return QStringLiteral("Your display sleeps on its normal schedule.");
    if (!until) return QStringLiteral("The display won't sleep until you switch this off.");
    return QStringLiteral("The display won't sleep until ") +
           until->toDateTime().toLocalTime().toString(QStringLiteral("HH:mm")) + QStringLiteral(".");
}

QWidget* makeIdleLockPane(SettingsStore& settings, IdleService* idle,
                          std::function<void()> onToggleKeepAwake) {
    auto* pane = new PaneColumn;
    pane->addSection(QStringLiteral("Keep awake"));
    auto* card = new SettingsCard;
    auto* toggle = new SwitchToggle;
    toggle->setObjectName(QStringLiteral("keepAwake"));
    auto* row = new SettingsRow(QString(), toggle, QStringLiteral(" "));
    card->addRow(row);
    const QPointer<IdleService> service(idle);
    const auto show = [row, toggle, service] {
        const bool awake = service && service->isKeepingAwake();
        row->label()->setText(awake ? QStringLiteral("Your computer is staying awake")
                                    : QStringLiteral("Let your computer sleep"));
        row->footnote()->setText(keepAwakeStatus(awake, service ? service->keepAwakeUntil() : std::nullopt));
        // What the service does, never the flip itself.
        toggle->setChecked(awake);
    };
    show();
    if (idle) QObject::connect(idle, &IdleService::keepAwakeChanged, toggle, show);
    QObject::connect(toggle, &QAbstractButton::clicked, toggle, [show, onToggleKeepAwake] {
        if (onToggleKeepAwake) onToggleKeepAwake();
        show();
    });

    auto* block = new QWidget;
    auto* column = new QVBoxLayout(block);
    column->setContentsMargins(14, 11, 14, 11);
    column->setSpacing(8);
    column->addWidget(
        new TextView(QStringLiteral("For how long"), Vesk::Type_::settingsRow(), Vesk::Stone::x100));
    auto* chips = new QHBoxLayout;
    chips->setSpacing(6);
    QList<Chip*> all;
    for (KeepAwakeDurationSetting duration : allCases<KeepAwakeDurationSetting>()) {
        auto* chip = new Chip(chipTitle(duration), block);
        chip->setObjectName(QStringLiteral("keepAwakeDuration.") + toRaw(duration));
        chips->addWidget(chip);
        all.append(chip);
        QObject::connect(chip, &QAbstractButton::clicked, chip,
                         [&settings, duration] { settings.setKeepAwakeDuration(duration); });
    }
    chips->addStretch(1);
    column->addLayout(chips);
    followSettings(block, settings, [&settings, all] {
        const KeepAwakeDurationSetting chosen = settings.keepAwakeDuration();
        int i = 0;
        for (KeepAwakeDurationSetting duration : allCases<KeepAwakeDurationSetting>())
            all.at(i++)->setChecked(duration == chosen);
    });
    card->addRow(block);
    pane->add(card);
    // The footnote never wraps inside the command.
    pane->addFootnote(
        QStringLiteral("It's a real idle inhibitor, held through the session's own services (") +
        inhibitorCommand() +
        QStringLiteral(" shows it), and released the moment VeskNotch quits. "
                       "Also on the notch's right-click menu."));

    pane->addSection(QStringLiteral("Screen lock"));
    auto* lock = new SettingsCard;
    lock->addRow(
        new SettingsRow(QStringLiteral("Greet me when I unlock"), settingSwitch(settings, "showLockActivity"),
                        QStringLiteral("A brief pill when you come back. Nothing is shown while locking — a "
                                       "notification drawn onto a screen that's going dark is worth nothing "
                                       "and can leak what you were doing.")));
    lock->addRow(new SettingsRow(
        QStringLiteral("Play a sound on lock and unlock"), settingSwitch(settings, "lockSoundsEnabled"),
        QStringLiteral("Off by default — a computer that chirps every time you step away "
                       "gets old.")));
    pane->add(lock);
    pane->addFootnote(
        QStringLiteral("Lock-screen widgets and a screen-saver surface are not built yet — your "
                       "desktop's screen locker draws the lock screen itself and offers no supported "
                       "way for another program to draw there."));
    return pane;
}

} // namespace vesk
