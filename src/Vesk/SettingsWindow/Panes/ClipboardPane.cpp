#include "Vesk/SettingsWindow/Panes/ClipboardPane.h"

#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/SettingBinding.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SmallAccentButton.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Clipboard/ClipboardService.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QPointer>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

class LineSymbol final : public QWidget {
public:
    LineSymbol(const QString& symbol, QWidget* parent) : QWidget(parent), m_symbol(symbol) {
        setFixedSize(14, int(std::ceil(Symbols::sideForFontSize(11))));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double side = Symbols::sideForFontSize(11);
        Symbols::paint(painter, QRectF((width() - side) / 2, 0, side, side), m_symbol, Vesk::Stone::x400);
    }

private:
    QString m_symbol;
};

QWidget* privacyLine(const QString& symbol, const QString& text) {
    auto* line = new QWidget;
    auto* row = new QHBoxLayout(line);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    row->addWidget(new LineSymbol(symbol, line), 0, Qt::AlignTop);
    auto* words = new TextView(text, Vesk::Type_::settingsFootnote(), Vesk::Stone::x300, line);
    words->setWrapping(true);
    row->addWidget(words, 1);
    return line;
}

} // namespace

QWidget* makeClipboardPane(SettingsStore& settings, ClipboardService& service,
                           std::function<void()> onChange) {
    auto* pane = new PaneColumn;
    const QPointer<ClipboardService> weak(&service);

    auto* card = new SettingsCard;
    card->addRow(
        new SettingsRow(QStringLiteral("Remember what you copy"),
                        new SwitchToggle(settings, SettingBinding::forKey(settings, u"clipboardEnabled"_qs)),
                        QStringLiteral("Recent clips appear on the Desk. Click one to put it back on the "
                                       "clipboard.")));
    card->addRow(new ValueSlider(QStringLiteral("Keep at most"), settings,
                                 SettingBinding::forKey(settings, u"clipboardMaxItems"_qs), 5, 200,
                                 QStringLiteral(" clips")));
    SettingBinding persists = SettingBinding::forKey(settings, u"clipboardPersists"_qs);
    const auto write = persists.write;
    // The service follows the switch at once, not only at the next poll (which runs only
    // while recording is on): off must not be written again by a later clear or removal.
    persists.write = [write, weak](const QVariant& value) {
        write(value);
        if (!weak) return;
        weak->setPersists(value.toBool());
        if (!value.toBool()) weak->forgetOnDisk();
    };
    auto* keep = new SettingsRow(QStringLiteral("Keep history after quitting"),
                                 new SwitchToggle(settings, persists), QStringLiteral(" "));
    followSettings(keep, settings, [keep, &settings] {
        keep->footnote()->setText(
            settings.clipboardPersists()
                ? QStringLiteral("History is written to disk and survives a restart.")
                : QStringLiteral("History lives in memory only and is gone when VeskNotch "
                                 "quits."));
    });
    card->addRow(keep);
    pane->add(card);

    pane->addSection(QStringLiteral("Privacy"));
    auto* privacy = new SettingsCard;
    auto* lines = new QWidget;
    auto* stack = new QVBoxLayout(lines);
    stack->setContentsMargins(14, 14, 14, 14);
    stack->setSpacing(7);
    stack->addWidget(privacyLine(u"lock.fill"_qs,
                                 u"Passwords are never recorded. Password managers mark what they "
                                 "copy as concealed, and VeskNotch skips anything so marked."_qs));
    stack->addWidget(
        privacyLine(u"desktopcomputer"_qs,
                    u"History stays on this computer. It is never synced to your other computers."_qs));
    stack->addWidget(privacyLine(u"trash"_qs,
                                 u"Clearing the list deletes any copied images from disk too, not just "
                                 "the rows."_qs));
    privacy->addRow(lines);
    pane->add(privacy);

    auto* clear = new SmallAccentButton(QStringLiteral("Clear history now"));
    clear->setObjectName(QStringLiteral("clearClipboard"));
    QObject::connect(clear, &QAbstractButton::clicked, pane, [weak, onChange] {
        if (weak) weak->clear();
        if (onChange) onChange();
    });
    pane->column()->addWidget(clear, 0, Qt::AlignLeft);
    return pane;
}

} // namespace vesk
