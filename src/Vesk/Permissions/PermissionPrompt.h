#pragma once

#include "Vesk/Permissions/ActivationHolds.h"
#include "VeskPlatform/Workspace/SystemSettings.h"

#include <QString>

#include <functional>
#include <optional>

class QMessageBox;
class QWidget;

namespace vesk {

// Puts the program in front as a regular application around permission requests and
// explanations, and opens the desktop's settings at a privacy pane. Main thread.
class PermissionPrompt {
public:
    static constexpr double bodyDelay = 0.15;
    // How long the program stays regular after a request ran, for what it raised.
    static constexpr double regularAfterBody = 30.0;

    explicit PermissionPrompt(ActivationHolds& holds, SystemSettings settings = SystemSettings());

    // Holds the program regular, runs `body` 0.15 s later and keeps holding it for 30 s
    // after `body` returned.
    void withActivation(std::function<void()> body);

    // An alert with "Open Desktop Settings" (the default) and "Not Now", shown without
    // waiting for it; `done` learns whether the user chose to open the settings, which
    // then open at `settingsPane` if one is given. A pane this desktop has no page for
    // gets only an "OK" button; the message is shown as it is. Returns the alert, which
    // deletes itself once closed.
    QMessageBox* explain(const QString& title, const QString& message,
                         const std::optional<QString>& settingsPane, QWidget* parent = nullptr,
                         std::function<void(bool chosen)> done = {});

    // Opens the settings page for the pane, or shows why nothing needs to be done there
    // (and returns that box, which deletes itself once closed).
    QMessageBox* openPane(const QString& anchor, QWidget* parent = nullptr);

    const SystemSettings& settings() const { return m_settings; }

private:
    // A box shown without a loop of its own, above every other window, holding the program
    // regular until it closes.
    QMessageBox* showBox(const QString& text, const QString& informative, QWidget* parent);

    ActivationHolds& m_holds;
    SystemSettings m_settings;
};

} // namespace vesk
