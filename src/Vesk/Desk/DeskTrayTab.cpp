#include "Vesk/Desk/DeskTrayTab.h"

#include "Vesk/Desk/DeskMetrics.h"
#include "Vesk/Desk/DeskWidgetWiring.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/PipelineBanner.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Tray/TrayStore.h"

#include <QVBoxLayout>

namespace vesk {

TrayActions trayActions(NotchViewModel& model, const DeskEnvironment& environment) {
    const QPointer<NotchViewModel> weak(&model);
    Pasteboard* pasteboard = environment.pasteboard;
    TrayActions actions;
    actions.onRemove = [weak](const QList<TrayItem>& items) {
        if (!weak) return;
        DeskWidgetWiring::refreshAfterEdit(
            weak->trayStore(), [&](TrayStore& store) { store.remove(items); },
            [](TrayStore& store) { return store.items(); },
            [&](const QList<TrayItem>& items) { weak->setTrayItems(items); });
    };
    actions.onClear = [weak] {
        if (!weak) return;
        if (TrayStore* store = weak->trayStore()) store->removeAll();
        weak->setTrayItems({});
    };
    actions.onPaste = [weak, pasteboard] {
        if (!weak || !pasteboard) return;
        TrayStore* store = weak->trayStore();
        if (!store || store->addFromPasteboard(*pasteboard).isEmpty()) return;
        weak->setTrayItems(store->items());
        weak->send(NotchEvent::selectTab(DeskTab::tray));
    };
    return actions;
}

DeskTrayTab::DeskTrayTab(NotchViewModel& model, const DeskEnvironment& environment, QWidget* parent)
    : QWidget(parent), m_model(model), m_environment(environment) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, int(DeskMetrics::trayBottomPadding));
    layout->setSpacing(int(DeskMetrics::traySpacing));
    // A store handed over (or taken away) while the tab shows changes what it shows.
    connect(&model, &NotchViewModel::deskServicesChanged, this, [this] {
        if ((m_model.trayStore() != nullptr) != m_hasStore) rebuild();
    });
    connect(&model, &NotchViewModel::trayItemsChanged, this, [this] {
        if (m_content.setItems) m_content.setItems(m_model.trayItems());
    });
    // "Drag out copies" changed in the settings while the desk is open.
    connect(&model.settings(), &SettingsStore::revisionChanged, this, [this] {
        const bool copyByDefault = m_model.settings().trayCopyByDefault();
        if (copyByDefault == m_copyByDefault) return;
        m_copyByDefault = copyByDefault;
        if (m_content.setCopyByDefault) m_content.setCopyByDefault(copyByDefault);
    });
    rebuild();
}

void DeskTrayTab::rebuild() {
    delete m_banner;
    delete m_content.widget;
    m_content = {};
    while (QLayoutItem* item = layout()->takeAt(0))
        delete item;
    m_hasStore = m_model.trayStore() != nullptr;
    if (!m_hasStore) return;

    // Follows the model's pipeline runner; an idle banner takes no room.
    m_banner = new PipelineBanner(m_model, this);
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->addWidget(m_banner);
    m_copyByDefault = m_model.settings().trayCopyByDefault();
    if (m_environment.trayContent) {
        const TrayContentInputs inputs{.items = m_model.trayItems(),
                                       .store = m_model.trayStore(),
                                       .copyByDefault = m_copyByDefault,
                                       .actions = trayActions(m_model, m_environment)};
        m_content = m_environment.trayContent(inputs, this);
    }
    if (m_content.widget)
        column->addWidget(m_content.widget, 1);
    else
        column->addStretch(1);
}

} // namespace vesk
