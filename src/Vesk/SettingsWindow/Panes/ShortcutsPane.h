#pragma once

#include "Vesk/Controls/PaneColumn.h"
#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskSync/DeskRepository.h"

#include <QPointer>
#include <QStringList>

#include <functional>

class QAbstractButton;
class QLineEdit;

namespace vesk {

class SettingsCard;
class ShortcutsService;
class TextView;

// The Shortcuts pane: the shortcuts on the desk (each removable), and the user's
// shortcut scripts not chosen yet, searchable and added with a click, or a shortcut
// added by its exact name. Additions and removals go to the repository; without one
// they do nothing. The chosen list follows the repository's shortcuts.
class ShortcutsPane final : public PaneColumn {
    Q_OBJECT

public:
    ShortcutsPane(ShortcutsService& service, const BuildProfile& profile, DeskRepository* repository,
                  QWidget* parent = nullptr);

    bool isLoading() const { return m_loading; }
    QList<ShortcutSnapshot> chosen() const;
    // The listed names not on the desk, narrowed by the search.
    QStringList results() const;
    // The lower card's message; empty while rows are listed.
    QString message() const;
    // Where the shortcut scripts are read from ($XDG_CONFIG_HOME/Vesk/Shortcuts), with
    // the home folder written as "~".
    static QString scriptFolderText();
    QLineEdit* searchField() const { return m_search; }
    QLineEdit* nameField() const { return m_name; }
    QAbstractButton* addButton() const { return m_add; }
    // Reads again whether the scripts can be listed, then lists them again; each listing
    // that ends replaces the list. Also run each time the pane is shown again.
    void load();
    void addNamed(const QString& name);
    void addManual();
    void removeChosen(const QUuid& id);

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool listable() const;
    // The list card, or the by-name card where nothing can be listed.
    void buildLowerCard();
    void rebuildChosen();
    void rebuildList();
    QWidget* byNameRow();

    ShortcutsService& m_service;
    BuildProfile m_profile;
    QPointer<DeskRepository> m_repository;
    bool m_canList = false;
    bool m_loading = true;
    bool m_shownBefore = false;
    QStringList m_available;
    SettingsCard* m_chosenCard;
    SettingsCard* m_lowerCard;
    QWidget* m_listArea = nullptr;
    QLineEdit* m_search = nullptr;
    QLineEdit* m_name = nullptr;
    QAbstractButton* m_add = nullptr;
};

} // namespace vesk
