#include "Vesk/Permissions/PermissionPrompt.h"

#include "VeskKit/Foundation/Scheduler.h"

#include <QMessageBox>
#include <QPointer>
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

QMessageBox* PermissionPrompt::showBox(const QString& text, const QString& informative, QWidget* parent) {
    auto* box = new QMessageBox(parent);
    box->setIcon(QMessageBox::Information);
    box->setWindowTitle(QStringLiteral("VeskNotch"));
    box->setText(text);
    box->setInformativeText(informative);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Nothing else waits for it, and it stays above the notch it may have come from.
    box->setWindowModality(Qt::NonModal);
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    // The program is regular while the box is up.
    auto hold = std::make_shared<ActivationHolds::Hold>(m_holds.holdRegular());
    QObject::connect(box, &QDialog::finished, box, [hold] { hold->release(); });
    return box;
}

QMessageBox* PermissionPrompt::explain(const QString& title, const QString& message,
                                       const std::optional<QString>& settingsPane, QWidget* parent,
                                       std::function<void(bool chosen)> done) {
    const bool hasPage = !settingsPane || m_settings.launchFor(*settingsPane).has_value();
    // The message already says what to do; without a page there is only nothing to open.
    QMessageBox* box = showBox(title, message, parent);
    QPushButton* open = nullptr;
    if (hasPage) open = box->addButton(QStringLiteral("Open Desktop Settings"), QMessageBox::AcceptRole);
    QPushButton* dismiss =
        box->addButton(hasPage ? QStringLiteral("Not Now") : QStringLiteral("OK"), QMessageBox::RejectRole);
    box->setDefaultButton(open ? open : dismiss);
    box->setEscapeButton(dismiss);
    QObject::connect(box, &QDialog::finished, box,
                     [box, open, settings = m_settings, settingsPane, done = std::move(done)] {
                         const bool chosen = open && box->clickedButton() == open;
                         if (chosen && settingsPane) settings.open(*settingsPane);
                         if (done) done(chosen);
                     });
    box->show();
    return box;
}

QMessageBox* PermissionPrompt::openPane(const QString& anchor, QWidget* parent) {
    if (m_settings.launchFor(anchor)) {
        m_settings.open(anchor);
        return nullptr;
    }
    QMessageBox* box = showBox(SystemSettings::nothingNeeded(anchor), QString(), parent);
    box->setStandardButtons(QMessageBox::Ok);
    box->show();
    return box;
}

} // namespace vesk
