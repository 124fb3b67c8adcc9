#pragma once

#include "Vesk/Shell/ActivityServices.h"

#include <memory>

namespace vesk {

// The activity bridge behind the shell's ActivityServices.
class BridgeActivityServices final : public ActivityServices {
public:
    explicit BridgeActivityServices(std::unique_ptr<ActivityBridge> bridge);
    ~BridgeActivityServices() override;

    void setOnNowPlayingChange(std::function<void(const NowPlayingState&)> handler) override;
    void setOnCurrentChanged(std::function<void()> handler) override;
    void restoreFocusFilter() override;
    void start() override;
    void stop() override;
    void checkUpcomingEvent() override;
    void sendMediaCommand(const MediaCommand& command) override;
    CalendarService* calendarService() const override;
    ActivityBridge* bridge() const override { return m_bridge.get(); }

private:
    std::unique_ptr<ActivityBridge> m_bridge;
};

} // namespace vesk
