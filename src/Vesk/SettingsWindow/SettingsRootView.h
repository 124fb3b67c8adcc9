#pragma once

#include "Vesk/SettingsWindow/SettingsPane.h"
#include "Vesk/SettingsWindow/SettingsPaneFactory.h"
#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <QPointer>
#include <QWidget>

class QScrollArea;
class QVBoxLayout;

namespace vesk {

class ScrollEdgeVeil;
class SettingsHeader;
class SettingsSidebar;
class SettingsStore;

// The settings window's content: the sidebar of panes with its search, and the detail
// area with the selected pane under its header, scrolling under a veil.
//
// The selected pane is built when it is selected and lives until another one is, its
// transient state with it; its controls follow the settings themselves. The pane is
// rebuilt only when its inputs (the flags it was built with) change: they are read
// again after every settings write, when the window is activated and when
// refreshPaneInputs() is called. The Shortcuts and Quick Apps notifications select
// their panes from the moment the view exists.
class SettingsRootView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int minimumWidth = 720;
    static constexpr int minimumHeight = 460;
    static constexpr int detailMaxWidth = 760;

    SettingsRootView(SettingsStore& settings, SettingsWindowEnvironment environment, SettingsPane selection,
                     SettingsPaneFactory factory = SettingsPaneFactory::standard(),
                     QWidget* parent = nullptr);
    ~SettingsRootView() override;

    SettingsPane selection() const { return m_selection; }
    void setSelection(SettingsPane pane);

    // Reads the selected pane's inputs again and rebuilds it when they changed.
    void refreshPaneInputs();

    SettingsSidebar* sidebar() const { return m_sidebar; }
    SettingsHeader* header() const { return m_header; }
    // The selected pane's body; null for a pane that shows its header only.
    QWidget* pane() const { return m_pane; }
    QScrollArea* scrollArea() const { return m_scroll; }
    ScrollEdgeVeil* veil() const { return m_veil; }
    // The scrolled column (header and pane).
    QWidget* detailContent() const { return m_content; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showPane();

    SettingsStore& m_settings;
    SettingsWindowEnvironment m_environment;
    SettingsPaneFactory m_factory;
    SettingsPane m_selection;
    PaneInputs m_inputs;
    SettingsSidebar* m_sidebar;
    QWidget* m_detail;
    QScrollArea* m_scroll;
    QWidget* m_content;
    QVBoxLayout* m_column;
    SettingsHeader* m_header;
    QPointer<QWidget> m_pane;
    ScrollEdgeVeil* m_veil;
};

} // namespace vesk
