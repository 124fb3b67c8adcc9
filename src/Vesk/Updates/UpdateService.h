#pragma once

#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskPlatform/Updates/UpdaterController.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The one holder of the program's self-updater, and the only place that decides
// whether there is one: a sandboxed build never has one, and a direct build has the
// system's updater where it offers one (Linux does not). Main thread.
class UpdateService final : public QObject {
    Q_OBJECT
public:
    using ControllerFactory = std::function<std::unique_ptr<UpdaterController>()>;

    // `makeController` is asked only for a direct build; by default the system's updater.
    explicit UpdateService(const BuildProfile& profile, ControllerFactory makeController = {},
                           QObject* parent = nullptr);
    ~UpdateService() override;

    bool isAvailable() const { return static_cast<bool>(m_controller); }
    // Null without an updater; every caller then does nothing.
    UpdaterController* controller() const { return m_controller.get(); }
    std::optional<Date> lastCheck() const;

private:
    std::unique_ptr<UpdaterController> m_controller;
};

} // namespace vesk
