#include "VeskServices/Focus/FocusService.h"

#include "VeskPlatform/Session/DesktopDoNotDisturb.h"

namespace vesk {

FocusService::FocusService(std::unique_ptr<DoNotDisturb> doNotDisturb, FocusDatabase database,
                           QObject* parent)
    : QObject(parent),
      m_doNotDisturb(doNotDisturb ? std::move(doNotDisturb) : std::make_unique<DesktopDoNotDisturb>()),
      m_database(std::move(database)) {}

FocusService::~FocusService() {
    stop();
}

void FocusService::start() {
    stop();
    // The starting state is whatever is true now, published as is; only later
    // readings that differ from it count as changes.
    m_observers.push_back(connect(m_doNotDisturb.get(), &DoNotDisturb::started, this, [this] {
        m_state = readState();
        publish();
    }));
    m_observers.push_back(
        connect(m_doNotDisturb.get(), &DoNotDisturb::activeChanged, this, [this] { refresh(); }));
    m_hasRichIdentity = m_database.isReadable();
    m_doNotDisturb->start();
}

void FocusService::stop() {
    for (const QMetaObject::Connection& observer : m_observers)
        disconnect(observer);
    m_observers.clear();
    m_doNotDisturb->stop();
}

void FocusService::refresh() {
    const FocusModeState next = readState();
    if (next == m_state) return;
    m_state = next;
    publish();
}

FocusModeState FocusService::readState() const {
    FocusModeState next = m_state;
    if (m_hasRichIdentity) {
        if (const std::optional<FocusModeIdentity> mode = m_database.activeMode()) {
            next.isActive = true;
            next.modeName = mode->name;
            next.symbol = mode->symbol.value_or(QStringLiteral("moon.fill"));
            return next;
        }
    }
    // No mode named: the switch alone tells; name and symbol stay as they are.
    next.isActive = m_doNotDisturb->isActive();
    return next;
}

void FocusService::applyFilterIdentity(const std::optional<QString>& name,
                                       const std::optional<QString>& symbol) {
    m_state.modeName = name;
    if (symbol) m_state.symbol = *symbol;
    // Restored before start, the identity rides on the starting state instead of
    // arriving first on its own, where a consumer would take it for the starting state.
    if (m_hasPublished) publish();
}

void FocusService::publish() {
    m_hasPublished = true;
    m_states.yield(m_state);
}

} // namespace vesk
