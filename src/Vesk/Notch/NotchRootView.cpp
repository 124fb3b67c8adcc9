#include "Vesk/Notch/NotchRootView.h"

#include "Vesk/Notch/ActivityPillView.h"
#include "Vesk/Notch/AmbientMediaView.h"
#include "Vesk/Notch/DeskFrameView.h"
#include "Vesk/Notch/DropLanesView.h"
#include "Vesk/Notch/NotchSizing.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskUI/Notch/NotchShape.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QApplication>
#include <QCursor>
#include <QFontMetricsF>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace vesk {

namespace {

// "Drop to add" beside a tray symbol: what a drag shows when it offers fewer than two lanes.
class DropHintView final : public QWidget {
public:
    static constexpr double spacing = 8;

    explicit DropHintView(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QFont& font = Vesk::Type_::activityTitle();
        const QString text = QStringLiteral("Drop to add");
        const QFontMetricsF metrics(font);
        const double side = Symbols::sideForFontSize(font.pixelSize());
        const double textWidth = metrics.horizontalAdvance(text);
        const double left = (width() - side - spacing - textWidth) / 2;
        Symbols::paint(painter, QRectF(left, (height() - side) / 2, side, side), u"tray.and.arrow.down.fill",
                       Vesk::Accent::x400);
        painter.setFont(font);
        painter.setPen(Vesk::Accent::x400);
        painter.drawText(QRectF(left + side + spacing, 0, textWidth + 1, height()),
                         Qt::AlignLeft | Qt::AlignVCenter, text);
    }
};

// Activities and drop lanes fade (and pills grow) in and out; the desk and the drop hint
// just appear.
bool transitionsOf(NotchRootView::ContentKind kind) {
    using Kind = NotchRootView::ContentKind;
    return kind == Kind::ambient || kind == Kind::pill || kind == Kind::expandedPill || kind == Kind::lanes;
}

double paddingSetting(const SettingsStore& settings) {
    return NotchSizing::settingInRange(QStringLiteral("contentPadding"), settings.contentPadding());
}

bool isAmbient(const ActivityPayload& payload) {
    return payload.kind == ActivityKind::nowPlaying && payload.priority == ActivityPriority::ambient;
}

} // namespace

NotchRootView::NotchRootView(NotchViewModel& model, QWidget* parent)
    : NotchSurfaceView(parent), m_model(&model), m_size(QVariant(QSizeF())), m_radius(QVariant(14.0)),
      m_opacity(QVariant(1.0)), m_transition(QVariant(1.0)) {
    setMouseTracking(true);
    m_contentPaddingSetting = paddingSetting(model.settings());
    m_contrastOutline = model.settings().contrastOutline();

    for (MotionAnimator* animator : {&m_size, &m_radius, &m_opacity}) {
        connect(animator, &MotionAnimator::valueChanged, this, [this] {
            const QRectF before = m_lastSurface;
            surfaceMoved(before);
        });
    }
    connect(&m_transition, &MotionAnimator::valueChanged, this,
            [this] { update(contentRect().toAlignedRect()); });
    connect(&m_transition, &MotionAnimator::finished, this, &NotchRootView::transitionFinished);

    connect(&model, &NotchViewModel::stateChanged, this, [this] {
        retarget(m_model->motion());
        refreshContent(true);
    });
    connect(&model, &NotchViewModel::isHoveringChanged, this, [this] {
        retarget(m_model->motion());
        if (auto* ambient = qobject_cast<AmbientMediaView*>(m_content.data()))
            ambient->setExpanded(m_model->isHovering(), m_model->motion());
    });
    connect(&model, &NotchViewModel::geometryChanged, this, [this] {
        retarget(MotionSpec{});
        updateContentInPlace();
    });
    // Widgets chosen or resized while the desk is open change its size at once.
    connect(&model, &NotchViewModel::layoutChanged, this, [this] {
        retarget(MotionSpec{});
        placeContent();
    });
    for (auto signal : {&NotchViewModel::dragLanesChanged, &NotchViewModel::hoveredLaneChanged,
                        &NotchViewModel::dragURLsChanged})
        connect(&model, signal, this, [this] { refreshContent(false); });
    connect(&model.settings(), &SettingsStore::revisionChanged, this, [this] {
        const double padding = paddingSetting(m_model->settings());
        const bool outline = m_model->settings().contrastOutline();
        if (padding == m_contentPaddingSetting && outline == m_contrastOutline) return;
        m_contentPaddingSetting = padding;
        m_contrastOutline = outline;
        retarget(MotionSpec{});
        placeContent();
        update();
    });

    retarget(MotionSpec{});
    refreshContent(false);
}

NotchRootView::~NotchRootView() = default;

void NotchRootView::setDeskFactory(DeskFactory factory) {
    m_deskFactory = std::move(factory);
    if (m_contentKind == ContentKind::desk) {
        dropContent();
        m_contentKind = ContentKind::none;
        refreshContent(false);
    }
}

// ---- Surface

QSizeF NotchRootView::targetSurfaceSize() const {
    const QSizeF content = m_model->contentSize(m_model->state());
    return QSizeF(content.width() + flaresWidth, content.height());
}

QRectF NotchRootView::surfaceRect() const {
    const QSizeF size = m_size.valueAs<QSizeF>();
    return QRectF((width() - size.width()) / 2, 0, size.width(), size.height());
}

QRectF NotchRootView::targetSurfaceRect() const {
    const QSizeF size = targetSurfaceSize();
    return QRectF((width() - size.width()) / 2, 0, size.width(), size.height());
}

double NotchRootView::bottomRadius() const {
    return m_radius.valueAs<double>();
}

double NotchRootView::surfaceOpacity() const {
    return std::clamp(m_opacity.valueAs<double>(), 0.0, 1.0);
}

QPainterPath NotchRootView::surfacePath() const {
    const QRectF surface = surfaceRect();
    // A transparent surface is neither seen nor touched.
    if (surfaceOpacity() <= 0 || surface.width() <= 0 || surface.height() <= 0) return {};
    QPainterPath path = NotchShape{Vesk::Radius::notchTop, std::max(0.0, bottomRadius())}.path(surface);
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath NotchRootView::hitPath() const {
    // Hover and clicks go by the outline the state is heading for, not by the frame the
    // animation has reached: a pointer on the opening desk is on it from the start.
    const QRectF surface = targetSurfaceRect();
    if (m_opacity.target().toDouble() <= 0 || surface.width() <= 0 || surface.height() <= 0) return {};
    QPainterPath path =
        NotchShape{Vesk::Radius::notchTop, std::max(0.0, m_radius.target().toDouble())}.path(surface);
    path.setFillRule(Qt::WindingFill);
    return path;
}

void NotchRootView::retarget(const MotionSpec& motion) {
    const bool open = m_model->state().isOpen();
    const bool hidden = m_model->state().kind() == NotchState::Kind::hidden;
    m_size.animateTo(QVariant(targetSurfaceSize()), motion);
    m_radius.animateTo(QVariant(open ? Vesk::Radius::notchBottomOpen : Vesk::Radius::notchBottomClosed),
                       motion);
    m_opacity.animateTo(QVariant(hidden ? 0.0 : 1.0), motion);
}

void NotchRootView::surfaceMoved(const QRectF& before) {
    const QRectF now = surfaceRect();
    m_lastSurface = now;
    placeContent();
    // The outline and the outline pen's half width around it.
    update(before.united(now).adjusted(-1, -1, 1, 1).toAlignedRect());
    // The pointer is where it was on the screen, not in this view: a panel that grew or
    // moved re-centred the view under a still pointer. One the server reported gone while
    // it was on the outline may leave unreported: it is asked where it is.
    if (m_pointerInside && m_pointerAsked)
        judgePointer();
    else if (m_pointerInside && m_lastPointer && !hitPath().contains(mapFromGlobal(*m_lastPointer)))
        setPointerInside(false);
    Q_EMIT surfaceChanged();
}

bool NotchRootView::isAnimating() const {
    return m_size.isRunning() || m_radius.isRunning() || m_opacity.isRunning() || m_transition.isRunning();
}

void NotchRootView::finishAnimations() {
    for (MotionAnimator* animator : {&m_size, &m_radius, &m_opacity})
        animator->setValue(animator->target());
    if (m_transition.isRunning()) {
        m_transition.setValue(1.0);
        transitionFinished();
    }
    surfaceMoved(m_lastSurface);
}

// ---- Content

NotchRootView::ContentKind NotchRootView::kindFor(const NotchState& state) const {
    switch (state.kind()) {
    case NotchState::Kind::peek:
    case NotchState::Kind::activity:
        return isAmbient(*state.payload()) ? ContentKind::ambient : ContentKind::pill;
    case NotchState::Kind::activityExpanded:
        return ContentKind::expandedPill;
    case NotchState::Kind::open:
        return ContentKind::desk;
    case NotchState::Kind::dropTarget:
        return m_model->dragLanes().size() >= 2 ? ContentKind::lanes : ContentKind::dropHint;
    case NotchState::Kind::hidden:
    case NotchState::Kind::closed:
        break;
    }
    return ContentKind::none;
}

double NotchRootView::contentPadding(ContentKind kind) const {
    return kind == ContentKind::desk ? openPadding : m_contentPaddingSetting + 6;
}

QRectF NotchRootView::contentRectFor(ContentKind kind, const QRectF& surface) const {
    // The ambient row is wider than the padded area (its slots reach the notch's walls),
    // so it takes the whole surface and centres itself.
    if (kind == ContentKind::ambient) return surface;
    const double padding = contentPadding(kind);
    return surface.adjusted(padding, 0, -padding, 0);
}

QRectF NotchRootView::contentRect() const {
    return contentRectFor(m_contentKind, surfaceRect());
}

double NotchRootView::enteringScale(ContentKind kind) const {
    switch (kind) {
    case ContentKind::pill:
        return 0.92;
    case ContentKind::expandedPill:
        return 0.96;
    default:
        return 1;
    }
}

QWidget* NotchRootView::makeContent(ContentKind kind) {
    const NotchState& state = m_model->state();
    const double cutout = m_model->geometry().notchSize.width();
    switch (kind) {
    case ContentKind::ambient:
        return new AmbientMediaView(*state.payload(), m_model->isHovering(), cutout, this);
    case ContentKind::pill:
        return new ActivityPillView(*state.payload(), false, cutout, this);
    case ContentKind::expandedPill:
        return new ActivityPillView(*state.payload(), true, cutout, this);
    case ContentKind::desk: {
        const DeskTab tab = state.tab().value_or(DeskTab::desk);
        if (m_deskFactory)
            if (QWidget* desk = m_deskFactory(tab, *m_model, deskInset, this)) return desk;
        return new DeskFrameView(tab, m_model->geometry().openHeaderHeight(), deskInset, this);
    }
    case ContentKind::lanes:
        return new DropLanesView(m_model->dragLanes(), m_model->hoveredLane(),
                                 int(m_model->dragURLs().size()), this);
    case ContentKind::dropHint:
        return new DropHintView(this);
    case ContentKind::none:
        break;
    }
    return nullptr;
}

void NotchRootView::refreshContent(bool animated) {
    const NotchState& state = m_model->state();
    const ContentKind kind = kindFor(state);
    // The same kind of content is updated where it stands: the next volume step redraws
    // the pill rather than fading a new one in. The desk is built afresh per tab.
    const bool sameContent =
        kind == m_contentKind && m_content && (kind != ContentKind::desk || state == m_contentState);
    if (sameContent) {
        m_contentState = state;
        updateContentInPlace();
        return;
    }

    const ContentKind oldKind = m_contentKind;
    const MotionSpec motion = m_model->motion();
    const bool transition = animated && !motion.isInstant();
    m_outgoing.reset();
    if (m_content) {
        if (transition && transitionsOf(oldKind))
            m_outgoing = snapshotOf(m_content, contentRect(), enteringScale(oldKind));
        dropContent();
    }
    m_contentKind = kind;
    m_contentState = state;
    m_content = makeContent(kind);
    m_incoming.reset();
    if (m_content) {
        m_content->setGeometry(contentRectFor(kind, targetSurfaceRect()).toAlignedRect());
        if (transition && transitionsOf(kind)) {
            // Until it has faded in, a still picture of it grows into place.
            m_incoming = snapshotOf(m_content, QRectF(), enteringScale(kind));
            m_content->hide();
        } else {
            m_content->show();
        }
    }
    placeContent();
    if (m_outgoing || m_incoming) {
        m_transition.setValue(0.0);
        m_transition.animateTo(1.0, motion);
    } else {
        m_transition.setValue(1.0);
    }
    update();
}

void NotchRootView::dropContent() {
    QWidget* old = m_content;
    m_content = nullptr;
    if (!old) return;
    // Hidden now and freed from the event loop: the state may change inside an event of
    // one of its own widgets (a button's click, a field's menu closing), whose handling
    // must not return into freed memory.
    old->hide();
    old->deleteLater();
}

void NotchRootView::updateContentInPlace() {
    const NotchState& state = m_model->state();
    const double cutout = m_model->geometry().notchSize.width();
    if (auto* ambient = qobject_cast<AmbientMediaView*>(m_content.data())) {
        ambient->setPayload(*state.payload());
        ambient->setCutoutWidth(cutout);
    } else if (auto* pill = qobject_cast<ActivityPillView*>(m_content.data())) {
        pill->setPayload(*state.payload());
        pill->setCutoutWidth(cutout);
    } else if (auto* lanes = qobject_cast<DropLanesView*>(m_content.data())) {
        lanes->setLanes(m_model->dragLanes());
        lanes->setHovered(m_model->hoveredLane());
        lanes->setFileCount(int(m_model->dragURLs().size()));
    } else if (auto* frame = qobject_cast<DeskFrameView*>(m_content.data())) {
        frame->setHeaderHeight(m_model->geometry().openHeaderHeight());
    }
    placeContent();
}

void NotchRootView::placeContent() {
    if (m_content && !m_incoming) m_content->setGeometry(contentRect().toAlignedRect());
}

NotchRootView::Snapshot NotchRootView::snapshotOf(QWidget* widget, const QRectF& rect,
                                                  double fromScale) const {
    const qreal ratio = devicePixelRatioF();
    QImage image(widget->size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return Snapshot{image, rect, fromScale};
}

void NotchRootView::transitionFinished() {
    m_outgoing.reset();
    if (m_incoming) {
        m_incoming.reset();
        if (m_content) {
            m_content->setGeometry(contentRect().toAlignedRect());
            m_content->show();
        }
    }
    update();
}

// ---- Painting

void NotchRootView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath path = surfacePath();
    if (path.isEmpty()) return;
    painter.setOpacity(surfaceOpacity());
    painter.fillPath(path, Vesk::Ink::x1000);
    if (m_contrastOutline) {
        QPen pen(Vesk::contrastOutline, outlineWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(path, pen);
    }

    const double progress = std::clamp(m_transition.valueAs<double>(), 0.0, 1.0);
    const auto paintSnapshot = [&](const Snapshot& snapshot, const QRectF& at, double opacity, double scale) {
        painter.save();
        painter.setOpacity(surfaceOpacity() * opacity);
        painter.translate(at.center());
        painter.scale(scale, scale);
        const QSizeF size = snapshot.image.deviceIndependentSize();
        painter.drawImage(QRectF(-size.width() / 2, -size.height() / 2, size.width(), size.height()),
                          snapshot.image);
        painter.restore();
    };
    if (m_outgoing)
        paintSnapshot(*m_outgoing, m_outgoing->rect, 1 - progress,
                      1 - (1 - m_outgoing->fromScale) * progress);
    if (m_incoming)
        paintSnapshot(*m_incoming, contentRect(), progress,
                      m_incoming->fromScale + (1 - m_incoming->fromScale) * progress);
}

void NotchRootView::resizeEvent(QResizeEvent* event) {
    NotchSurfaceView::resizeEvent(event);
    surfaceMoved(m_lastSurface);
}

// ---- Pointer

void NotchRootView::setPointerInside(bool inside) {
    if (inside == m_pointerInside) return;
    m_pointerInside = inside;
    if (!m_model) return;
    m_model->send(inside ? NotchEvent::hoverBegan() : NotchEvent::hoverEnded());
}

void NotchRootView::enterEvent(QEnterEvent* event) {
    NotchSurfaceView::enterEvent(event);
    // A window that grew, or a shape that caught up, under a still pointer brings the
    // pointer in without a move.
    m_lastPointer = event->globalPosition();
    m_pointerAsked = false;
    if (hitPath().contains(event->position())) setPointerInside(true);
}

void NotchRootView::mouseMoveEvent(QMouseEvent* event) {
    m_lastPointer = event->globalPosition();
    m_pointerAsked = false;
    setPointerInside(hitPath().contains(event->position()));
}

bool NotchRootView::takesClickAt(const QPointF& point) const {
    const QPainterPath target = hitPath();
    if (target.isEmpty()) return false;
    // An outline still shrinking toward the state's (the Desk closing) is clicked where it
    // is drawn, as the input region lets it be.
    return target.contains(point) || surfacePath().contains(point);
}

void NotchRootView::mousePressEvent(QMouseEvent* event) {
    m_lastPointer = event->globalPosition();
    m_pointerAsked = false;
    setPointerInside(hitPath().contains(event->position()));
    const bool clicked = takesClickAt(event->position());
    m_pressInside = clicked && event->button() == Qt::LeftButton;
    if (!clicked) event->ignore();
}

void NotchRootView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Each press of a double click is a click of its own.
    mousePressEvent(event);
}

void NotchRootView::mouseReleaseEvent(QMouseEvent* event) {
    const bool wasPressed = m_pressInside;
    m_pressInside = false;
    if (event->button() != Qt::LeftButton || !wasPressed) {
        event->ignore();
        return;
    }
    if (takesClickAt(event->position()) && m_model) m_model->send(NotchEvent::click());
}

void NotchRootView::leaveEvent(QEvent* event) {
    NotchSurfaceView::leaveEvent(event);
    judgePointer();
}

void NotchRootView::watchPopup(QWidget* popup) {
    if (popup) popup->installEventFilter(this);
}

void NotchRootView::judgePointer() {
    // A menu of ours is open (the notch's, a desk row's): the pointer went into it, not
    // away from the notch. Whether it left is known once the menu closes.
    if (QWidget* popup = QApplication::activePopupWidget()) {
        watchPopup(popup);
        return;
    }
    // Asked of the server rather than taken from the event: the window's shape follows a
    // resize a moment later, and in between the server may report the pointer gone from a
    // window that grew under it. Only a pointer that is off the outline has left.
    const QPointF global = QCursor::pos().toPointF();
    const QPointF pointer = mapFromGlobal(global);
    const bool inside = rect().contains(pointer.toPoint()) && hitPath().contains(pointer);
    if (inside)
        m_lastPointer = global;
    else
        m_lastPointer.reset();
    m_pointerAsked = inside;
    setPointerInside(inside);
}

bool NotchRootView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && watched->isWidgetType()) {
        watched->removeEventFilter(this);
        // Once the popup has finished closing, not inside its Hide: the judgement may close
        // the Desk, and with it the field whose menu this is.
        QMetaObject::invokeMethod(
            this,
            [self = QPointer<NotchRootView>(this)] {
                if (self) self->judgePointer();
            },
            Qt::QueuedConnection);
    }
    return NotchSurfaceView::eventFilter(watched, event);
}

} // namespace vesk
