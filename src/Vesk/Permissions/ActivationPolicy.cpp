#include "Vesk/Permissions/ActivationPolicy.h"

namespace vesk {

ActivationPolicy::Hold& ActivationPolicy::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        release();
        m_policy = other.m_policy;
        other.m_policy.clear();
    }
    return *this;
}

void ActivationPolicy::Hold::release() {
    if (ActivationPolicy* policy = m_policy.data()) {
        m_policy.clear();
        policy->release();
    }
}

ActivationPolicy::ActivationPolicy(QObject* parent) : QObject(parent) {}

ActivationPolicy::Hold ActivationPolicy::holdRegular() {
    if (++m_holders == 1) Q_EMIT policyChanged(Policy::regular);
    return Hold(this);
}

void ActivationPolicy::release() {
    if (m_holders > 0 && --m_holders == 0) Q_EMIT policyChanged(Policy::accessory);
}

} // namespace vesk
