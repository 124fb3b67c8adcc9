#include "Vesk/Notch/NotchViewModel.h"

#include "Vesk/Notch/NotchPanelInterface.h"
#include "Vesk/Notch/NotchSizing.h"
#include "Vesk/Notch/NotchViewModelFields.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Scheduler.h"

#include <cmath>

namespace vesk {

namespace {

// How long the open and close springs take to answer: the window shrinks, and the
// blur shows, only once the shape has moved.
constexpr double openDelay = 0.42;
constexpr double closeDelay = 0.34;

bool wantsBackdrop(const NotchState& state) {
    switch (state.kind()) {
    case NotchState::Kind::activityExpanded:
    case NotchState::Kind::open:
    case NotchState::Kind::dropTarget:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---- Events

void NotchViewModel::send(const NotchEvent& event) {
    // Settings are read afresh for every event, so a change applies at once.
    d->machine.setGuards(d->settings.notchGuards());
    updateHoverHint(event);

    const NotchState old = d->state;
    const NotchEffects effects = d->machine.apply(event);
    const NotchState next = d->machine.state();

    if (next != old) {
        d->motion = Vesk::Motion::forStateChange(next);
        d->state = next;
        Q_EMIT stateChanged();
        geometryMayHaveChanged();
        resizeWindow(next);

        if (NotchPanelInterface* panel = d->livePanel()) {
            setKeyboardFocus(*panel, next.isOpen());

            const double radius =
                next.isOpen() ? NotchSizing::openBottomRadius : NotchSizing::closedBottomRadius;
            if (panel->drawnBottomRadius() != radius) {
                panel->setDrawnBottomRadius(radius);
                panel->syncBackdrop();
            }

            const bool blur = d->settings.progressiveBlur();
            if (panel->backdropEnabled() != blur) {
                panel->setBackdropEnabled(blur);
                if (blur)
                    panel->syncBackdrop();
                else
                    panel->hideBackdrop();
            }
        }

        if (next.isOpen() && !old.isOpen()) {
            if (d->repository) d->repository->reloadFromStore();
            // The desk lists the output devices as they are now.
            refreshAudioDevices();
        }
    }

    for (const NotchEffect& effect : effects)
        performEffect(effect);
}

void NotchViewModel::updateHoverHint(const NotchEvent& event) {
    bool hovering = d->isHovering;
    switch (event.kind()) {
    case NotchEvent::Kind::hoverEnded:
        hovering = false;
        break;
    case NotchEvent::Kind::hoverBegan:
        if (d->state.kind() == NotchState::Kind::closed || isAmbientMedia()) hovering = true;
        break;
    default:
        return;
    }
    if (hovering == d->isHovering) return;

    if (hovering && d->settings.hapticFeedback()) playHaptic();
    d->motion = Vesk::Motion::respectingReduceMotion(Vesk::Motion::hover);
    d->isHovering = hovering;
    Q_EMIT isHoveringChanged();
    if (NotchPanelInterface* panel = d->livePanel()) applyCanvasAtOnce(*panel, currentCanvasSize());
    geometryMayHaveChanged();
}

void NotchViewModel::resizeWindow(const NotchState& target) {
    NotchPanelInterface* panel = d->livePanel();
    if (!panel) return;

    const QSizeF canvas = NotchSizing::canvas(contentSize(target), d->geometry);
    const QSizeF current = panel->currentCanvas();
    const bool grows = canvas.height() > current.height() || canvas.width() > current.width();
    const double delay = target.isOpen() ? openDelay : closeDelay;

    // Delayed work acts only while the model still drives the same live panel and the
    // state is still the one it was scheduled for: a newer transition voids it.
    const QPointer<NotchViewModel> self(this);
    const QPointer<QObject> lifetime = d->panelLifetime;
    const auto stillCurrent = [self, lifetime, panel, target] {
        return self && lifetime && self->d->panel == panel && self->d->state == target;
    };

    const bool wanted = wantsBackdrop(target);
    if (wanted && !panel->backdropWantedByState()) {
        // The blur shows only once the opening animation is done, and goes at once.
        onMainAfter(delay, [stillCurrent, panel] {
            if (stillCurrent()) panel->setBackdropWantedByState(true);
        });
    } else {
        panel->setBackdropWantedByState(wanted);
    }

    if (grows) {
        // The window grows before the shape does, so the animation is never clipped...
        applyCanvasAtOnce(*panel, canvas);
    } else {
        // ...and shrinks only after it, so the closing shape is drawn whole.
        panel->setDrawnCanvas(canvas);
        panel->syncBackdrop();
        onMainAfter(delay, [self, stillCurrent, panel] {
            if (stillCurrent()) self->applyCanvasAtOnce(*panel, self->currentCanvasSize());
        });
    }
}

void NotchViewModel::applyCanvasAtOnce(NotchPanelInterface& panel, const QSizeF& canvas) {
    const QSizeF window = d->armedCanvas && !d->state.isOpen() ? *d->armedCanvas : canvas;
    panel.setCurrentCanvas(window);
    panel.setDrawnCanvas(canvas);
    panel.setFrame(NotchSizing::panelFrame(window, d->geometry));
    panel.syncBackdrop();
}

void NotchViewModel::setArmedCanvas(const std::optional<QSizeF>& canvas) {
    d->armedCanvas = canvas;
    if (!canvas || d->state.isOpen()) return;
    if (NotchPanelInterface* panel = d->livePanel()) {
        // The drawn canvas stays: the notch and its backdrop keep their size.
        panel->setCurrentCanvas(*canvas);
        panel->setFrame(NotchSizing::panelFrame(*canvas, d->geometry));
        panel->syncBackdrop();
    }
}

std::optional<QSizeF> NotchViewModel::armedCanvas() const {
    return d->armedCanvas;
}

void NotchViewModel::performEffect(const NotchEffect& effect) {
    switch (effect.kind()) {
    case NotchEffect::Kind::requestKeyboardFocus:
        if (NotchPanelInterface* panel = d->livePanel()) setKeyboardFocus(*panel, effect.focus());
        break;
    case NotchEffect::Kind::haptic:
        if (d->settings.hapticFeedback()) playHaptic();
        break;
    default:
        if (d->onEffect) d->onEffect(effect);
        break;
    }
}

void NotchViewModel::setKeyboardFocus(NotchPanelInterface& panel, bool requested) {
    if (panel.keyboardFocusRequested() == requested) return;
    panel.setKeyboardFocusRequested(requested);
    if (requested)
        panel.takeKeyboardFocus();
    else
        panel.resignKeyboardFocus();
}

void NotchViewModel::playHaptic() {
    if (d->environment.performHaptic) d->environment.performHaptic();
}

void NotchViewModel::geometryMayHaveChanged() {
    if (d->onGeometryChange) d->onGeometryChange();
}

void NotchViewModel::handleScroll(double dx, double dy, SwipePhase phase) {
    if (!d->settings.gesturesWhileHovering()) return;
    d->scroll.naturalVertical = d->settings.naturalMovement();
    d->scroll.invertHorizontal = d->settings.invertMediaGestures();
    const std::optional<ScrollIntent> intent = d->scroll.consume(dx, dy, phase, d->clock().now());
    if (!intent) return;
    switch (*intent) {
    case ScrollIntent::up:
        send(NotchEvent::swipeUp());
        break;
    case ScrollIntent::down:
        send(NotchEvent::swipeDown());
        break;
    case ScrollIntent::left:
        send(NotchEvent::swipeLeft());
        break;
    case ScrollIntent::right:
        send(NotchEvent::swipeRight());
        break;
    }
}

// ---- Sizing

QSizeF NotchViewModel::contentSize(const NotchState& state) const {
    const NotchSizing::Context context{.geometry = d->geometry,
                                       .isHovering = d->isHovering,
                                       .layout = d->layout,
                                       .deskHeight = deskHeight(),
                                       .contentPadding = NotchSizing::settingInRange(
                                           QStringLiteral("contentPadding"), d->settings.contentPadding())};
    return NotchSizing::contentSize(state, context);
}

double NotchViewModel::deskHeight() const {
    return NotchSizing::deskHeight(d->state, d->layout);
}

QSizeF NotchViewModel::currentCanvasSize() const {
    return NotchSizing::canvas(contentSize(d->state), d->geometry);
}

QRectF NotchViewModel::interactiveRect(const QSizeF& canvas) const {
    return NotchSizing::interactiveRect(d->state, contentSize(d->state), canvas);
}

void NotchViewModel::recomputeLayout() {
    setLayout(NotchSizing::deskLayoutEngine().layout(d->settings.widgetOrder(), d->settings.enabledWidgets(),
                                                     d->settings.widgetCells(),
                                                     NotchSizing::availableDeskWidth(d->geometry)));
    if (!d->state.isOpen()) return;
    if (NotchPanelInterface* panel = d->livePanel()) {
        applyCanvasAtOnce(*panel, currentCanvasSize());
        geometryMayHaveChanged();
    }
}

} // namespace vesk
