#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QString>

#include <memory>
#include <optional>

namespace vesk {

// A self-updater started with the program: a user-initiated check, whether one can
// start now, the automatic-check switch and the date of the last check.
class UpdaterController {
public:
    virtual ~UpdaterController() = default;

    virtual void checkForUpdates() = 0;
    virtual bool canCheckForUpdates() const = 0;
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool on) = 0;
    virtual std::optional<Date> lastUpdateCheckDate() const = 0;
};

// The updater of this system, started; none where the system offers no self-updater
// (on Linux the package manager updates the program), with the reason in `why`.
std::unique_ptr<UpdaterController> makeUpdaterController(QString* why = nullptr);

} // namespace vesk
