#pragma once

#include "Vesk/Permissions/ActivationHolds.h"
#include "Vesk/SettingsWindow/SettingsPaneFactory.h"
#include "Vesk/SettingsWindow/SettingsWindowEnvironment.h"

#include <QPointer>
#include <QWidget>

namespace vesk {

class SettingsRootView;
class SettingsStore;
class UserDefaults;

// The settings window: an ordinary dark window around the root view. Closing it only
// hides it. Its frame is kept in the user defaults under "Window Frame VeskSettings"
// and restored when it is built; while it is shown the program is a regular
// application (a taskbar entry, able to take focus).
class SettingsWindow final : public QWidget {
    Q_OBJECT
public:
    static inline const QString frameKey = QStringLiteral("Window Frame VeskSettings");
    static constexpr QSize contentSize{820, 560};

    // `holds` may be null (tools); `defaults` must outlive the window.
    SettingsWindow(SettingsStore& settings, UserDefaults& defaults, ActivationHolds* holds,
                   SettingsWindowEnvironment environment, SettingsPane selection,
                   SettingsPaneFactory factory = SettingsPaneFactory::standard(), QWidget* parent = nullptr);
    ~SettingsWindow() override;

    // Shows the window un-minimised, raised and active, as it was left.
    void present();

    SettingsRootView* root() const { return m_root; }

protected:
    bool event(QEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void saveFrame();

    UserDefaults& m_defaults;
    QPointer<ActivationHolds> m_holds;
    ActivationHolds::Hold m_hold;
    SettingsRootView* m_root;
};

// The pane the window first shows: the one VESK_SETTINGS names by raw value, else General.
SettingsPane initialSettingsPane();

} // namespace vesk
