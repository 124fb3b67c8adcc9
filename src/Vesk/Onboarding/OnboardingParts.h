#pragma once

#include "Vesk/Permissions/Permission.h"

#include <QAbstractButton>
#include <QFont>
#include <QWidget>

#include <functional>

namespace vesk {

class TextView;

// The onboarding's own type scale, in the system font.
namespace onboardingType {
QFont eyebrow();  // 10 semibold
QFont title();    // 27 semibold
QFont body();     // 13.5
QFont rowTitle(); // 12.5 semibold
QFont rowBody();  // 11
QFont button();   // 12.5 semibold
} // namespace onboardingType

class MotionAnimator;

// The large accent capsule of the footer: a shade darker and a little smaller while
// pressed, springing between the two.
class AccentButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit AccentButton(const QString& text, QWidget* parent = nullptr);
    QSize sizeHint() const override;
    // How far it is drawn pressed: 0 at rest, 1 pressed (it may overshoot while springing).
    double pressAmount() const;
    MotionAnimator* pressMotion() const { return m_press; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void pressChanged(bool down);

    MotionAnimator* m_press;
};

// What a permission gives, for its row once granted.
QString permissionGrantedLine(Permission permission);

// One permission: its tile, title and line, and by state "On", "Open Settings" or "Allow";
// "Unavailable" where the facility is missing on this computer and nothing can be allowed.
class PermissionRow final : public QWidget {
    Q_OBJECT
public:
    PermissionRow(Permission permission, PermissionState state, std::function<void()> onRequest,
                  std::function<void()> onOpenSettings, bool unavailable = false, QWidget* parent = nullptr);

    PermissionState state() const { return m_state; }
    TextView* line() const { return m_line; }
    // The control at the trailing edge: "On", "Open Settings", "Allow" or "Unavailable".
    QWidget* control() const { return m_control; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Permission m_permission;
    PermissionState m_state;
    TextView* m_line;
    QWidget* m_control;
};

// Help after a request that changed nothing: what Linux needs for the permission
// (nothing to allow in a list, only the service running) and a way to its settings.
class StuckHelp final : public QWidget {
    Q_OBJECT
public:
    StuckHelp(Permission permission, std::function<void()> onDismiss, std::function<void()> onOpenSettings,
              QWidget* parent = nullptr);

    // The numbered steps.
    static QStringList steps(Permission permission);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A short aside beside a thin bar.
class Note final : public QWidget {
    Q_OBJECT
public:
    explicit Note(const QString& text, QWidget* parent = nullptr);

    TextView* text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextView* m_text;
};

} // namespace vesk
