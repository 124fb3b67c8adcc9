#pragma once

#include "Vesk/Onboarding/NotchDemo.h"
#include "Vesk/Onboarding/OnboardingModel.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QScrollArea;
class QVBoxLayout;

namespace vesk {

class AccentButton;
class MotionAnimator;
class PermissionRow;
class StuckHelp;

// The first-run window's content: one page per step (an animated notch, an eyebrow, a
// title, a paragraph, and on two pages a further block) above a footer with the
// progress dots, "Back" and the primary button. Return and Enter press the primary
// button wherever the focus is. Everything follows the model; each step change builds
// its page anew, so every demo starts from its first beat.
class OnboardingView final : public QWidget {
    Q_OBJECT
public:
    struct PageText {
        QString eyebrow;
        QString title;
        QString paragraph;
    };
    static PageText text(OnboardingModel::Step step);

    // `onOpenSettings` opens the desktop's settings for a permission.
    OnboardingView(OnboardingModel& model, std::function<void()> onFinish,
                   std::function<void(Permission)> onOpenSettings, QWidget* parent = nullptr);

    QWidget* page() const { return m_page; }
    AccentButton* primaryButton() const { return m_primary; }
    QAbstractButton* backButton() const { return m_back; }
    // The page's demo; null on the permissions page.
    NotchDemo* demo() const { return m_demo; }
    QList<PermissionRow*> permissionRows() const;
    StuckHelp* stuckHelp() const;

private:
    void buildPage();
    void buildPermissionBlock();
    void updateFooter();
    void primaryPressed();

    OnboardingModel& m_model;
    std::function<void()> m_onFinish;
    std::function<void(Permission)> m_onOpenSettings;
    QScrollArea* m_scroll;
    QPointer<QWidget> m_page;
    QPointer<NotchDemo> m_demo;
    QPointer<QWidget> m_permissionBlock;
    QVBoxLayout* m_pageColumn = nullptr;
    QWidget* m_dots;
    MotionAnimator* m_dotPosition;
    MotionAnimator* m_pageOpacity;
    QAbstractButton* m_back;
    AccentButton* m_primary;
};

} // namespace vesk
