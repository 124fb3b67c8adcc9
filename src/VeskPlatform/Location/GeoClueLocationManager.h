#pragma once

#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Location/LocationManager.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <optional>

namespace vesk {

class UserDefaults;

// Location through GeoClue2 on the system bus, at city accuracy. A fix starts our
// client, takes the first location it reports and stops it again, so nothing runs
// between fixes. GeoClue cannot be asked "may I?" without starting a client: permission
// is not determined until a start was accepted (remembered in the user defaults, so a
// later run begins allowed) or refused (for this run). Without GeoClue it is restricted.
// The daemon quits when idle and numbers its clients afresh when it comes back, so the
// client is followed through the service's owner: a new owner, or a client the daemon
// no longer knows, means a new client. Only a refusal of a client just made by the
// current owner is the user's; any other failure keeps the remembered grant. A refusal
// lasts until the user asks again (requestWhenInUseAuthorization), which makes one fresh
// request; a GeoClue that appears after launch is taken as if it had been there.
class GeoClueLocationManager final : public LocationManager {
    Q_OBJECT

public:
    static constexpr double fixTimeout = 30;
    static inline const QString rememberedKey = QStringLiteral("locationAuthorized");

    // The bus is the system bus unless given.
    explicit GeoClueLocationManager(UserDefaults& defaults, std::optional<QDBusConnection> bus = std::nullopt,
                                    QObject* parent = nullptr);
    ~GeoClueLocationManager() override;

    LocationAuthorization authorizationStatus() const override { return m_authorization; }
    void requestWhenInUseAuthorization() override;
    void requestLocation() override;

private Q_SLOTS:
    void onLocationUpdated(const QDBusMessage& message);
    void onClientPropertiesChanged(const QDBusMessage& message);

private:
    void checkService();
    void serviceAppeared();
    void watchOwner();
    // `mayRetry`: a stale client may be replaced once within this attempt.
    void startClient(bool mayRetry = true);
    // Runs `then` with our client; `fresh` when it was made for this call.
    void withClient(std::function<void(bool fresh)> then);
    void forgetClient();
    bool fromOurClient(const QDBusMessage& message) const;
    void stopClient();
    void readLocation(const QString& path);
    void finishFix(std::optional<LocationFix> fix, const QString& reason);
    void setAuthorization(LocationAuthorization authorization);

    UserDefaults& m_defaults;
    QDBusConnection m_bus;
    LocationAuthorization m_authorization = LocationAuthorization::notDetermined;
    QString m_client;
    // The unique bus name of the daemon that made m_client.
    QString m_clientOwner;
    // Bumped whenever the client is forgotten: answers about an older one are dropped.
    quint64 m_clientGeneration = 0;
    bool m_clientPending = false;
    QList<std::function<void(bool fresh)>> m_clientWaiters;
    bool m_starting = false;
    // GeoClue has had an owner since we started watching.
    bool m_serviceAppeared = false;
    bool m_started = false;
    bool m_fixPending = false;
    TaskHandle m_fixTimeout;
};

} // namespace vesk
