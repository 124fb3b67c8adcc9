#pragma once

#include "VeskPlatform/Session/DoNotDisturb.h"

#include <QDBusVariant>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class QDBusServiceWatcher;

namespace vesk {

class GSettingsBooleanKey;

// Do-not-disturb on a Linux desktop. Sources, first that answers wins: the
// notification server's "Inhibited" property (KDE and others), then GNOME's
// "show-banners" key (false means do-not-disturb is on) through the settings portal,
// then the same key through GSettings; with none of them the switch reads as off.
// Every call is asynchronous on the session bus of the calling thread.
class DesktopDoNotDisturb final : public DoNotDisturb {
    Q_OBJECT
public:
    explicit DesktopDoNotDisturb(QObject* parent = nullptr);
    ~DesktopDoNotDisturb() override;

    void start() override;
    void stop() override;
    Source source() const override { return m_source; }
    bool isActive() const override { return m_active; }

private Q_SLOTS:
    void onNotificationProperties(const QString& interface, const QVariantMap& changed,
                                  const QStringList& invalidated);
    void onPortalSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    void tryNotificationServer();
    void readInhibited(bool starting);
    void tryPortal();
    void tryGSettings();
    void settle(Source source, bool active);
    void report(bool active);
    void disconnectSignals();

    quint64 m_generation = 0; // replies to an older start() are dropped
    bool m_following = false;
    Source m_source = Source::none;
    bool m_active = false;
    std::unique_ptr<GSettingsBooleanKey> m_banners;
    QDBusServiceWatcher* m_serverWatcher = nullptr;
};

} // namespace vesk
