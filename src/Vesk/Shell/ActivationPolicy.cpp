#include "Vesk/Shell/ActivationPolicy.h"

#include <QGuiApplication>

namespace vesk {

Activation& Activation::shared() {
    static Activation* instance = new Activation;
    return *instance;
}

void Activation::setPolicy(ActivationPolicy policy) {
    QGuiApplication::setQuitOnLastWindowClosed(false);
    if (policy == m_policy) return;
    m_policy = policy;
    Q_EMIT policyChanged(policy);
}

} // namespace vesk
