#include "Vesk/Desk/Widgets/DeskWidget.h"

#include "VeskKit/Foundation/Clock.h"

#include <QPointer>

namespace vesk {

DeskWidget::DeskWidget(const DeskEnvironment& environment, QWidget* parent)
    : QWidget(parent), m_environment(environment) {}

DeskWidget::~DeskWidget() {
    for (Repeat& repeat : m_repeats)
        repeat.handle.cancel();
}

Date DeskWidget::now() const {
    return m_environment.clockSource().now();
}

void DeskWidget::endAppearance() {
    if (!m_onScreen) return;
    m_onScreen = false;
    for (Repeat& repeat : m_repeats)
        repeat.handle.cancel();
    disappeared();
}

void DeskWidget::repeatWhileOnScreen(double interval, std::function<void()> tick) {
    m_repeats.push_back(Repeat{interval, std::move(tick), {}});
    if (m_onScreen) start(m_repeats.back());
}

void DeskWidget::start(Repeat& repeat) {
    repeat.handle.cancel();
    const QPointer<DeskWidget> self(this);
    const std::size_t index = std::size_t(&repeat - m_repeats.data());
    repeat.handle = m_environment.mainThreadScheduler().postRepeating(repeat.interval, [self, index] {
        if (self && self->m_onScreen && index < self->m_repeats.size()) self->m_repeats[index].tick();
    });
}

void DeskWidget::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_onScreen) return;
    m_onScreen = true;
    for (Repeat& repeat : m_repeats)
        start(repeat);
    appeared();
}

void DeskWidget::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    endAppearance();
}

} // namespace vesk
