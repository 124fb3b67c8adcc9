#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/QuickApps/QuickApp.h"

#include <QAbstractButton>
#include <QIcon>
#include <QList>

#include <optional>

namespace vesk {

class WidgetFrame;

// "Apps": the pinned applications as a grid of icons to launch, a dot under those that
// run, a faded question mark for those no longer installed. Icons and the running and
// missing flags are read once per list (each time the desk is built or the list
// changes); the tiles do not watch the desktop.
class QuickAppsWidget : public DeskWidget {
    Q_OBJECT

public:
    struct Actions {
        std::function<std::optional<QIcon>(const QuickApp&)> icon;
        std::function<bool(const QuickApp&)> isMissing;
        std::function<bool(const QuickApp&)> isRunning;
        std::function<void(const QuickApp&)> onLaunch;
        std::function<void()> onConfigure;
    };

    static constexpr double iconSide = 46;
    static constexpr double minimumColumn = 56;
    static constexpr double columnSpacing = 10;
    static constexpr double rowSpacing = 12;

    QuickAppsWidget(const DeskEnvironment& environment, Actions actions, QWidget* parent = nullptr);

    void setApps(const QList<QuickApp>& apps);
    QList<QAbstractButton*> tiles() const { return m_tiles; }
    // The "+" in the frame's corner; null without apps.
    QAbstractButton* configureButton() const;
    WidgetFrame* frame() const { return m_frame; }

private:
    Actions m_actions;
    WidgetFrame* m_frame = nullptr;
    QList<QAbstractButton*> m_tiles;
};

} // namespace vesk
