#pragma once

#include <QList>
#include <QString>
#include <QUrl>

namespace vesk {

// Sending files to a nearby device (AirDrop). There is no such service on Linux: the
// system one reports it unavailable, so the notch never offers a lane that would take
// files and send them nowhere.
class Sharing {
public:
    virtual ~Sharing() = default;

    virtual bool isAirDropAvailable() const = 0;
    // Why AirDrop cannot be used; empty while it is available.
    virtual QString airDropUnavailableReason() const = 0;
    // Hands the files to AirDrop; false when it is unavailable or refused them.
    virtual bool sendViaAirDrop(const QList<QUrl>& urls) = 0;

    // The one for this system.
    static Sharing& system();
};

} // namespace vesk
