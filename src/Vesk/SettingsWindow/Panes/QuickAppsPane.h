#pragma once

#include "VeskServices/QuickApps/QuickApp.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QUrl>

#include "Vesk/Controls/PaneColumn.h"

#include <functional>
#include <optional>

class QLineEdit;

namespace vesk {

class QuickAppsService;
class SettingsCard;
class TextView;

// The Quick Apps pane: the apps on the desk in their order (move, remove), and the
// installed applications not chosen yet, searchable, added with a click or picked as
// desktop entry files. Every change goes through the service and then `onChange`.
// Each visit scans the installed applications afresh; a scan that ends after the pane
// is gone changes nothing.
class QuickAppsPane final : public PaneColumn {
    Q_OBJECT

public:
    static constexpr int shownResults = 60;
    // Asks the user for desktop entries and hands the chosen ones to `done` (never
    // called when the user cancels). It returns at once: no loop of its own runs. What
    // it shows is a child of `parent` and goes with it.
    using Chooser = std::function<void(QWidget* parent, std::function<void(QList<QUrl>)> done)>;

    QuickAppsPane(QuickAppsService& service, std::function<void()> onChange, Chooser chooser = {},
                  QWidget* parent = nullptr);

    bool isLoading() const { return m_loading; }
    const QList<QuickApp>& chosen() const { return m_chosen; }
    // The installed apps listed now, in order (at most 60).
    QList<QuickApp> listed() const;
    // The installed card's message ("Looking for apps…", "Everything is already on the
    // Desk.", "Nothing matches …"); empty while rows are listed.
    QString message() const;
    QLineEdit* searchField() const { return m_search; }

    void addApp(const QuickApp& app);
    void moveApp(int from, int to);
    void removeApp(const QuickApp& app);
    void chooseManually();

    // The default chooser: a file dialog for desktop entries in /usr/share/applications,
    // shown without a loop of its own and deleted once closed.
    static void chooseDesktopEntries(QWidget* parent, std::function<void(QList<QUrl>)> done);

private:
    void scanned(const QList<QuickApp>& installed);
    void changed();
    void rebuildChosen();
    void filter();
    QWidget* chosenRow(const QuickApp& app, int index);
    QWidget* installedRow(const QuickApp& app);
    std::optional<QIcon> iconFor(const QuickApp& app);

    QuickAppsService& m_service;
    std::function<void()> m_onChange;
    Chooser m_chooser;
    QList<QuickApp> m_chosen;
    QList<QuickApp> m_installed;
    QHash<QString, QWidget*> m_installedRows;
    QHash<QString, std::optional<QIcon>> m_icons;
    bool m_loading = true;
    SettingsCard* m_chosenCard;
    SettingsCard* m_installedCard;
    QLineEdit* m_search;
    TextView* m_message;
    QWidget* m_progress = nullptr;
};

QWidget* makeQuickAppsPane(QuickAppsService& service, std::function<void()> onChange);

} // namespace vesk
