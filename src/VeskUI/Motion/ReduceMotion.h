#pragma once

#include <QDBusConnection>
#include <QObject>

#include <atomic>
#include <optional>

class QDBusServiceWatcher;
class QDBusVariant;

namespace vesk {

// The desktop's "reduce animations" preference, read from the freedesktop settings
// portal (org.gnome.desktop.interface enable-animations; animations off means reduce
// motion on). Reading it never blocks: isOn() answers from the last value the portal
// gave, which is asked for once asynchronously, again whenever the portal (re)appears on
// the bus, and refreshed from the portal's SettingChanged signal. Without a session bus
// or a portal it stays off. Main thread.
class ReduceMotion : public QObject {
    Q_OBJECT

public:
    // The process-wide one, created on first use on the session bus.
    static ReduceMotion& shared();

    explicit ReduceMotion(const QDBusConnection& bus, QObject* parent = nullptr);

    bool isOn() const { return m_on.load(std::memory_order_relaxed); }
    // True once the portal answered (or said it has no such setting).
    bool hasAnswer() const { return m_answered; }

Q_SIGNALS:
    void changed(bool on);
    // The portal answered a read (whether or not the value changed).
    void answered();

private Q_SLOTS:
    void onSettingChanged(const QString& nameSpace, const QString& key, const QDBusVariant& value);

private:
    void read();
    void apply(std::optional<bool> enableAnimations);

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    std::atomic<bool> m_on{false};
    bool m_answered = false;
};

} // namespace vesk
