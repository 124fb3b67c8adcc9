#include "Vesk/Permissions/ActivationHolds.h"

namespace vesk {

ActivationHolds::Hold& ActivationHolds::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        m_holds = other.m_holds;
        other.m_holds.clear();
    }
    return *this;
}

void ActivationHolds::Hold::release() {
    if (ActivationHolds* holds = m_holds.data()) {
        m_holds.clear();
        holds->release();
    }
}

ActivationHolds::ActivationHolds(QObject* parent) : QObject(parent) {}

ActivationHolds::Hold ActivationHolds::holdRegular() {
    if (++m_holders == 1) Q_EMIT regularChanged(true);
    return Hold(this);
}

void ActivationHolds::release() {
    if (m_holders > 0 && --m_holders == 0) Q_EMIT regularChanged(false);
}

} // namespace vesk
