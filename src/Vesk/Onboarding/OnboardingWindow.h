#pragma once

#include "Vesk/Permissions/ActivationHolds.h"

#include <QPointer>
#include <QWidget>

#include <functional>

namespace vesk {

class OnboardingModel;
class OnboardingView;
class Permissions;
class SettingsStore;

// The first-run window: 700 × 620, a close button only, centred on the primary
// screen. Closing it only hides it, model and step kept, and nothing is recorded; the
// program stays a regular application while it is shown. The permission states are
// read again when it is shown and whenever the program becomes active.
class OnboardingWindow final : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize windowSize{700, 620};

    // `holds` may be null (tools); the others must outlive the window. `onFinish` is the
    // last page's "Start using VeskNotch".
    OnboardingWindow(SettingsStore& settings, Permissions& permissions, ActivationHolds* holds,
                     std::function<void()> onFinish, QWidget* parent = nullptr);
    ~OnboardingWindow() override;

    // Shows the window as it was left, raised and active.
    void present();

    OnboardingModel& model() const { return *m_model; }
    OnboardingView* view() const { return m_view; }

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    OnboardingModel* m_model;
    OnboardingView* m_view;
    QPointer<ActivationHolds> m_holds;
    ActivationHolds::Hold m_hold;
};

} // namespace vesk
