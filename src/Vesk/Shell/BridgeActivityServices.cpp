#include "Vesk/Shell/BridgeActivityServices.h"

#include "Vesk/Bridge/ActivityBridge.h"
#include "Vesk/Bridge/FocusFilterBridge.h"

namespace vesk {

BridgeActivityServices::BridgeActivityServices(std::unique_ptr<ActivityBridge> bridge)
    : m_bridge(std::move(bridge)) {}

BridgeActivityServices::~BridgeActivityServices() = default;

void BridgeActivityServices::setOnNowPlayingChange(std::function<void(const NowPlayingState&)> handler) {
    m_bridge->setOnNowPlayingChange(std::move(handler));
}

void BridgeActivityServices::setOnCurrentChanged(std::function<void()> handler) {
    m_bridge->setOnCurrentChanged(std::move(handler));
}

void BridgeActivityServices::restoreFocusFilter() {
    FocusFilterBridge::shared().restore(m_bridge->focus());
}

void BridgeActivityServices::start() {
    m_bridge->start();
}

void BridgeActivityServices::stop() {
    m_bridge->stop();
}

void BridgeActivityServices::checkUpcomingEvent() {
    m_bridge->checkUpcomingEvent();
}

void BridgeActivityServices::sendMediaCommand(const MediaCommand& command) {
    if (NowPlayingSource* media = m_bridge->media()) media->send(command);
}

CalendarService* BridgeActivityServices::calendarService() const {
    return &m_bridge->calendar();
}

} // namespace vesk
