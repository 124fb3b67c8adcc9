#include "Vesk/Permissions/PermissionPrompt.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace vesk {

PermissionPrompt::PermissionPrompt(ActivationHolds& holds, SystemSettings settings)
    : m_holds(holds), m_settings(std::move(settings)) {}

void PermissionPrompt::withActivation(std::function<void()> body) {
    auto hold = std::make_shared<ActivationHolds::Hold>(m_holds.holdRegular());
    onMainAfter(bodyDelay, [hold, body = std::move(body)] {
        if (body) body();
        onMainAfter(regularAfterBody, [hold] { hold->release(); });
    });
}

bool PermissionPrompt::explain(const QString& title, const QString& message,
                               const std::optional<QString>& settingsPane, QWidget* parent) {
    const bool hasPage = !settingsPane || m_settings.launchFor(*settingsPane).has_value();

    QMessageBox box(parent);
    box.setIcon(QMessageBox::Information);
    box.setWindowTitle(QStringLiteral("VeskNotch"));
    box.setText(title);
    // The message already says what to do; without a page there is only nothing to open.
    box.setInformativeText(message);
    QPushButton* open = nullptr;
    if (hasPage) open = box.addButton(QStringLiteral("Open System Settings"), QMessageBox::AcceptRole);
    QPushButton* dismiss =
        box.addButton(hasPage ? QStringLiteral("Not Now") : QStringLiteral("OK"), QMessageBox::RejectRole);
    box.setDefaultButton(open ? open : dismiss);
    box.setEscapeButton(dismiss);

    ActivationHolds::Hold hold = m_holds.holdRegular();
    box.exec();
    const bool chosen = open && box.clickedButton() == open;
    if (chosen && settingsPane) m_settings.open(*settingsPane);
    return chosen;
}

void PermissionPrompt::openPane(const QString& anchor, QWidget* parent) {
    if (m_settings.launchFor(anchor)) {
        m_settings.open(anchor);
        return;
    }
    QMessageBox box(QMessageBox::Information, QStringLiteral("VeskNotch"),
                    SystemSettings::nothingNeeded(anchor), QMessageBox::Ok, parent);
    ActivationHolds::Hold hold = m_holds.holdRegular();
    box.exec();
}

} // namespace vesk
