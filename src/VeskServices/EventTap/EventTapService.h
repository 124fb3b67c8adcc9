#pragma once

#include "VeskKit/Foundation/RawEnum.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskPlatform/Input/KeyTap.h"
#include "VeskServices/EventTap/MediaKey.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>
#include <utility>
#include <variant>

namespace vesk {

// Watches the media keys through the key tap, decodes each into a MediaKeyEvent and asks
// the handler whether it consumes the key. Listening leaves every key to the system;
// intercepting takes from the system the keys the handler will consume, so the system
// shows no on-screen display for them. A handler slower than 50 ms twice in a row, or a
// key another program already holds, demotes an intercepting tap to listening; in the
// second case the health check tries the keys again and intercepts once they are free.
// Main thread.
class EventTapService final : public QObject {
    Q_OBJECT
public:
    enum class Mode { listen, intercept };

    struct Running {
        Mode mode;
        friend bool operator==(const Running&, const Running&) = default;
    };
    struct DegradedToListen {
        QString reason;
        friend bool operator==(const DegradedToListen&, const DegradedToListen&) = default;
    };
    struct Stopped {
        friend bool operator==(const Stopped&, const Stopped&) = default;
    };
    struct NeedsInputMonitoring {
        friend bool operator==(const NeedsInputMonitoring&, const NeedsInputMonitoring&) = default;
    };
    struct NeedsAccessibility {
        friend bool operator==(const NeedsAccessibility&, const NeedsAccessibility&) = default;
    };
    using Status = std::variant<Running, DegradedToListen, Stopped, NeedsInputMonitoring, NeedsAccessibility>;

    enum class InputMonitoring { granted, denied, unknown };

    using Handler = std::function<bool(const MediaKeyEvent&)>;
    using StatusCallback = std::function<void(const Status&)>;
    using UptimeNanoseconds = std::function<qint64()>;

    static constexpr double handlerBudgetMs = 50;
    static constexpr double healthCheckInterval = 5.0;

    // With no tap given, the display's own (X11). `uptime` is the monotonic clock the
    // handler is timed with (tests give a fake one).
    explicit EventTapService(std::unique_ptr<KeyTap> tap = nullptr, UptimeNanoseconds uptime = {},
                             QObject* parent = nullptr);
    ~EventTapService() override;

    Status start(Mode mode);
    void stop();

    const Status& status() const { return m_status; }
    // Running and taking the keys it consumes.
    bool isIntercepting() const { return m_status == Status(Running{Mode::intercept}); }
    Mode mode() const { return m_mode; }
    // Runs on the main thread for every media key; true consumes the key.
    void setHandler(Handler handler) { m_handler = std::move(handler); }
    // Called for every status change.
    void setOnStatusChange(StatusCallback callback) { m_onStatusChange = std::move(callback); }

    // Whether intercepting can work here: an X11 display (not XWayland) where no key we
    // wanted was found held by another program.
    bool hasAccessibility() const;
    // Asks afresh, with no prompt to show: tries the consumable keys now (waiting at most
    // a second for the display) and answers whether no other program holds any of them.
    // A running tap is neither stopped nor restarted; while it intercepts, it keeps
    // what the try took.
    bool requestAccessibility();
    // Whether listening can work here: an X11 display with XInput2 2.1 or later.
    InputMonitoring inputMonitoring() const;
    bool requestInputMonitoring();
    // Intercepting was wanted but another program held the keys: while the tap listens,
    // each health check tries them again and intercepts once none is held. Cleared by
    // stop() (and so by every start).
    void retakeKeysWhenFree() { m_retakeKeys = true; }

    // The keys the handler would consume now (say, the volume keys only while the volume
    // can be set). While intercepting, exactly these are taken from the system, and only
    // those of them that isInterceptable allows: mute and the transport keys always reach
    // the system. Call again whenever the answer changes.
    void setConsumableKeys(const QSet<MediaKey>& keys);
    const QSet<MediaKey>& consumableKeys() const { return m_consumable; }
    static bool isInterceptable(MediaKey key);

    // Decodes one tap event and hands it to the handler; true means swallow it.
    bool process(const TapEvent& event);

private:
    bool onTapEvent(const TapEvent& event);
    void setStatus(Status status);
    void startHealthMonitor();
    void checkHealth();
    void fallBackToListen(const QString& reason, bool retakeKeys);
    QSet<int> interceptedKeyCodes() const;

    std::unique_ptr<KeyTap> m_tap;
    UptimeNanoseconds m_uptime;
    Status m_status = Stopped{};
    Handler m_handler;
    StatusCallback m_onStatusChange;
    bool m_tapInstalled = false;
    TaskHandle m_healthTimer;
    Mode m_mode = Mode::listen;
    int m_slowCallbackStrikes = 0;
    bool m_fallbackPending = false;
    bool m_retakeKeys = false;
    QSet<MediaKey> m_consumable;
};

bool isRunning(const EventTapService::Status& status);
// "running(intercept)", "degradedToListen(<reason>)", "stopped", ...
QString describe(const EventTapService::Status& status);
QString caseName(EventTapService::Mode mode);

template <> struct RawEnumTable<EventTapService::InputMonitoring> {
    static constexpr std::array<std::pair<EventTapService::InputMonitoring, std::string_view>, 3> entries{{
        {EventTapService::InputMonitoring::granted, "granted"},
        {EventTapService::InputMonitoring::denied, "denied"},
        {EventTapService::InputMonitoring::unknown, "unknown"},
    }};
};
inline std::optional<EventTapService::InputMonitoring> inputMonitoringFromRaw(QStringView raw) {
    return fromRaw<EventTapService::InputMonitoring>(raw);
}
inline constexpr std::array<EventTapService::InputMonitoring, 3> allInputMonitoringCases =
    allCases<EventTapService::InputMonitoring>();

} // namespace vesk
