#include "VeskPlatform/Keyboard/UPowerKeyboardBacklight.h"

#include "VeskDBus/AsyncDBusCall.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/StepLevel.h"
#include "VeskPlatform/Display/BacklightLevels.h"

#include <QDBusServiceWatcher>

namespace vesk {

namespace {

const QString service = QStringLiteral("org.freedesktop.UPower");
const QString path = QStringLiteral("/org/freedesktop/UPower/KbdBacklight");
const QString interface = QStringLiteral("org.freedesktop.UPower.KbdBacklight");

void call(QObject* context, const QString& method, const QVariantList& args,
          std::function<void(const QDBusMessage&)> onReply) {
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(args);
    dbus::callAsync(QDBusConnection::systemBus(), message, UPowerKeyboardBacklight::timeoutMs, context,
                    std::move(onReply));
}

} // namespace

UPowerKeyboardBacklight::UPowerKeyboardBacklight(QObject* parent) : QObject(parent) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) return;
    bus.connect(service, path, interface, QStringLiteral("BrightnessChanged"), this,
                SLOT(onBrightnessChanged(int)));
    m_watcher = new QDBusServiceWatcher(service, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty()) {
                    ++m_generation;
                    m_inFlight = 0;
                    setUnavailable();
                } else {
                    probe();
                }
            });
    probe();
}

UPowerKeyboardBacklight::~UPowerKeyboardBacklight() = default;

bool UPowerKeyboardBacklight::isAvailable() const {
    std::lock_guard lock(m_mutex);
    return m_available;
}

std::optional<double> UPowerKeyboardBacklight::read() const {
    std::lock_guard lock(m_mutex);
    if (!m_available) return std::nullopt;
    return levelForSteps(m_raw, m_max);
}

void UPowerKeyboardBacklight::probe() {
    const quint64 generation = ++m_generation;
    call(this, QStringLiteral("GetMaxBrightness"), {}, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        const std::optional<int> max = dbus::replyValue<int>(reply);
        // UPower answers with an error, or a maximum of 0, when there is no backlight.
        if (!max || *max <= 0) {
            setUnavailable();
            return;
        }
        fetchBrightness(generation, *max);
    });
}

void UPowerKeyboardBacklight::fetchBrightness(quint64 generation, int max) {
    call(this, QStringLiteral("GetBrightness"), {}, [this, generation, max](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        const std::optional<int> raw = dbus::replyValue<int>(reply);
        if (!raw || *raw < 0 || *raw > max) {
            setUnavailable();
            return;
        }
        bool becameAvailable = false;
        bool moved = false;
        {
            std::lock_guard lock(m_mutex);
            becameAvailable = !m_available;
            moved = m_available && m_raw != *raw;
            m_available = true;
            m_max = max;
            m_raw = *raw;
        }
        if (becameAvailable)
            notifyState();
        else if (moved)
            notifyLevel(levelForSteps(*raw, max));
    });
}

// After a refused write: what the daemon holds now.
void UPowerKeyboardBacklight::refresh() {
    int max = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_available) return;
        max = m_max;
    }
    fetchBrightness(m_generation, max);
}

void UPowerKeyboardBacklight::setUnavailable() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_available) return;
        m_available = false;
    }
    notifyState();
}

void UPowerKeyboardBacklight::onBrightnessChanged(int value) {
    // While our writes are on their way the signals are their echoes; the daemon applies
    // the writes in order, so the last one we sent is where it ends.
    if (m_inFlight > 0) return;
    double level = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_available || value < 0 || value > m_max || value == m_raw) return;
        m_raw = value;
        level = levelForSteps(value, m_max);
    }
    notifyLevel(level);
}

bool UPowerKeyboardBacklight::write(double level) {
    int raw = 0;
    int max = 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_available) return false;
        raw = rawForLevel(level, m_raw, m_max);
        m_raw = raw;
        max = m_max;
    }
    ++m_inFlight;
    const quint64 generation = m_generation;
    call(this, QStringLiteral("SetBrightness"), {raw}, [this, generation](const QDBusMessage& reply) {
        if (generation != m_generation) return;
        --m_inFlight;
        if (dbus::isError(reply)) {
            TraceLog::trace(QStringLiteral("UPower keyboard SetBrightness failed: ") + reply.errorMessage());
            if (m_inFlight == 0) refresh();
        }
    });
    notifyLevel(levelForSteps(raw, max));
    return true;
}

} // namespace vesk
