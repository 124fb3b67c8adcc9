#include "Vesk/SettingsWindow/Panes/FileTrayPane.h"

#include "Vesk/Controls/Dimming.h"
#include "Vesk/Controls/PaneColumn.h"
#include "Vesk/Controls/Pickers.h"
#include "Vesk/Controls/SettingsCard.h"
#include "Vesk/Controls/SettingsRow.h"
#include "Vesk/Controls/SwitchToggle.h"
#include "Vesk/Controls/TextView.h"
#include "Vesk/Controls/ValueSlider.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

#include <cmath>

namespace vesk {

namespace {

// A footnote inside a card, under its picker, whose text and colour follow the setting.
TextView* cardFootnote(SettingsStore& settings, std::function<void(TextView*)> show) {
    auto* note = new TextView(QString(), Vesk::Type_::settingsFootnote(), Vesk::Stone::x400);
    note->setWrapping(true);
    note->setContentsMargins(0, 0, 0, 0);
    followSettings(note, settings, [note, show] { show(note); });
    return note;
}

QWidget* inset(QWidget* child, int left, int top, int right, int bottom) {
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(left, top, right, bottom);
    layout->addWidget(child);
    return box;
}

// The pipeline's symbol, in the accent while its lane is on.
class PipelineSymbol final : public QWidget {
public:
    PipelineSymbol(PipelineID pipeline, QWidget* parent) : QWidget(parent), m_pipeline(pipeline) {
        setFixedSize(18, int(std::ceil(Symbols::sideForFontSize(12))));
    }
    void setOn(bool on) {
        if (on == m_on) return;
        m_on = on;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        dimming::apply(painter, this);
        Symbols::paintForFontSize(painter, QRectF(rect()), 12, symbol(m_pipeline),
                                  m_on ? Vesk::Accent::x500 : Vesk::Stone::x400);
    }

private:
    PipelineID m_pipeline;
    bool m_on = true;
};

// One pipeline: its symbol, its name and its switch, with a hairline under it.
class PipelineRow final : public QWidget {
public:
    PipelineRow(SettingsStore& settings, PipelineID pipeline, QWidget* parent = nullptr) : QWidget(parent) {
        auto* row = new QHBoxLayout(this);
        row->setContentsMargins(14, 7, 14, 7);
        row->setSpacing(10);
        auto* mark = new PipelineSymbol(pipeline, this);
        row->addWidget(mark);
        row->addWidget(new TextView(displayName(pipeline), Vesk::Type_::settingsRow(), Vesk::Stone::x100));
        row->addStretch(1);
        row->addSpacing(8);
        auto* toggle = new SwitchToggle(this);
        toggle->setObjectName(QStringLiteral("pipelineOrder.") + toRaw(pipeline));
        row->addWidget(toggle);
        followSettings(toggle, settings, [&settings, toggle, mark, pipeline] {
            const bool on = isPipelineOn(settings.pipelineOrder(), pipeline);
            toggle->setChecked(on);
            mark->setOn(on);
        });
        connect(toggle, &QAbstractButton::clicked, this, [&settings, pipeline](bool on) {
            const PipelineSwitch result = setOn(settings.pipelineOrder(), pipeline, on);
            settings.setPipelineOrder(result.order);
            if (result.switchMasterOff) settings.setPipelinesEnabled(false);
        });
    }

protected:
    void paintEvent(QPaintEvent*) override { paintRowRule(this); }
};

} // namespace

bool isPipelineOn(const PipelineOrder& stored, PipelineID pipeline) {
    return stored.isEmpty() || stored.contains(pipeline);
}

PipelineSwitch setOn(const PipelineOrder& stored, PipelineID pipeline, bool on) {
    PipelineOrder order = stored;
    if (order.isEmpty())
        for (PipelineID each : allCases<PipelineID>())
            order.append(each);
    if (on) {
        if (!order.contains(pipeline)) order.append(pipeline);
    } else {
        order.removeAll(pipeline);
    }
    if (order.isEmpty()) return {{pipeline}, true};
    return {order, false};
}

QWidget* makeFileTrayPane(SettingsStore& settings) {
    auto* pane = new PaneColumn;

    pane->addSection(QStringLiteral("Dropping in"));
    auto* dropping = new SettingsCard;
    dropping->addRow(new SettingsPicker(
        QStringLiteral("When you drop a file on the notch"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayMoveOnDrop"), TrayDropMode::move)));
    dropping->addRow(inset(cardFootnote(settings,
                                        [&settings](TextView* note) {
                                            const bool move = settings.trayMoveOnDrop();
                                            note->setText(
                                                move ? QStringLiteral("The original is removed from "
                                                                      "where it was. Hold Alt while "
                                                                      "dropping to copy instead.")
                                                     : QStringLiteral("The original stays where it is. "
                                                                      "Hold Alt while dropping to move "
                                                                      "it instead."));
                                            note->setColor(move ? Vesk::Semantic::amber : Vesk::Stone::x400);
                                        }),
                           14, 0, 14, 10));
    pane->add(dropping);

    pane->addSection(QStringLiteral("Dragging out"));
    auto* dragging = new SettingsCard;
    dragging->addRow(new SettingsPicker(
        QStringLiteral("When you drag an item off the shelf"), settings,
        trayDropModeBinding(settings, QStringLiteral("trayCopyByDefault"), TrayDropMode::copy)));
    dragging->addRow(inset(cardFootnote(settings,
                                        [&settings](TextView* note) {
                                            note->setText(
                                                settings.trayCopyByDefault()
                                                    ? QStringLiteral("The item stays on the shelf so you "
                                                                     "can drop it somewhere else too. "
                                                                     "Hold Alt to take it off.")
                                                    : QStringLiteral("The item leaves the shelf once it "
                                                                     "lands. Hold Alt to keep a copy."));
                                        }),
                           14, 0, 14, 10));
    pane->add(dragging);

    pane->addSection(QStringLiteral("Shelf"));
    auto* shelf = new SettingsCard;
    shelf->addRow(new ValueSlider(QStringLiteral("Keep at most"), settings,
                                  SettingBinding::forKey(settings, QStringLiteral("trayMaxItems")), 5, 200,
                                  QStringLiteral(" files")));
    pane->add(shelf);
    pane->addFootnote(
        QStringLiteral("The tray is local to this computer and isn't synced — its files are large and "
                       "its paths mean nothing on another machine."));

    pane->addSection(QStringLiteral("Drop actions"));
    auto* actions = new SettingsCard;
    actions->addRow(new SettingsRow(
        QStringLiteral("Split the notch into actions"),
        new SwitchToggle(settings, SettingBinding::forKey(settings, QStringLiteral("pipelinesEnabled"))),
        QStringLiteral("Hold a file over the notch and it divides into lanes — compress, convert, zip. Drop "
                       "anywhere else to just add it to the tray.")));
    auto* pipelines = new QWidget;
    pipelines->setObjectName(QStringLiteral("pipelines"));
    auto* rows = new QVBoxLayout(pipelines);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    for (PipelineID pipeline : allCases<PipelineID>())
        rows->addWidget(new PipelineRow(settings, pipeline));
    followSettings(pipelines, settings,
                   [pipelines, &settings] { dimming::setDimmed(pipelines, !settings.pipelinesEnabled()); });
    actions->addRow(pipelines);
    pane->add(actions);
    pane->addFootnote(QStringLiteral("Only lanes that suit the files you're dragging appear — you won't see "
                                     "“Compress” for a text file. Results land in the tray with an undo."));
    return pane;
}

} // namespace vesk
