#pragma once

#include "Vesk/Notch/NotchSurfaceView.h"
#include "VeskKit/Notch/DeskTab.h"
#include "VeskKit/Notch/NotchState.h"
#include "VeskUI/Motion/MotionAnimator.h"

#include <QImage>
#include <QPointer>
#include <QRectF>

#include <functional>
#include <optional>

namespace vesk {

class NotchViewModel;

// The notch of one display as the user sees it: the black outline hanging from the top
// of the panel, sized for the model's state and animated between states, with the
// state's content inside (the activity pill, ambient media, the desk, drop lanes or the
// drop hint). Pointer hover and clicks inside the outline, and only there, become notch
// events for the model. It keeps no state of its own beyond what animates.
class NotchRootView : public NotchSurfaceView {
    Q_OBJECT

public:
    // What the open desk shows in its slot, given the tab, the model and the side inset.
    using DeskFactory =
        std::function<QWidget*(DeskTab tab, NotchViewModel& model, double inset, QWidget* parent)>;

    enum class ContentKind { none, ambient, pill, expandedPill, desk, lanes, dropHint };

    // The two top flares, 6 points each, beside the notch body.
    static constexpr double flaresWidth = 12;
    // Side padding of the open desk's slot, and the desk's own inset inside it.
    static constexpr double openPadding = 6;
    static constexpr double deskInset = 18;
    static constexpr double outlineWidth = 1;

    explicit NotchRootView(NotchViewModel& model, QWidget* parent = nullptr);
    ~NotchRootView() override;

    // The desk's builder; until one is set the open desk shows its empty frame.
    void setDeskFactory(DeskFactory factory);

    QPainterPath surfacePath() const override;
    void judgePointer() override;
    void watchPopup(QWidget* popup) override;
    // The outline's frame now (mid-animation included), centred and touching the top.
    QRectF surfaceRect() const;
    double bottomRadius() const;
    double surfaceOpacity() const;

    ContentKind contentKind() const { return m_contentKind; }
    QWidget* content() const { return m_content; }
    // Where the content is laid out now, in this view's coordinates.
    QRectF contentRect() const;
    bool isAnimating() const;
    // Ends every running animation at its target, as a still picture of the state needs.
    void finishAnimations();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Snapshot {
        QImage image;
        QRectF rect;
        double fromScale = 1;
    };

    ContentKind kindFor(const NotchState& state) const;
    QSizeF targetSurfaceSize() const;
    double contentPadding(ContentKind kind) const;
    QRectF contentRectFor(ContentKind kind, const QRectF& surface) const;
    QRectF targetSurfaceRect() const;
    // Where the pointer counts as on the notch.
    QPainterPath hitPath() const;
    bool takesClickAt(const QPointF& point) const;
    void retarget(const MotionSpec& motion);
    void surfaceMoved(const QRectF& before);
    void refreshContent(bool animated);
    void dropContent();
    QWidget* makeContent(ContentKind kind);
    void updateContentInPlace();
    void placeContent();
    Snapshot snapshotOf(QWidget* widget, const QRectF& rect, double fromScale) const;
    void transitionFinished();
    void setPointerInside(bool inside);
    double enteringScale(ContentKind kind) const;

    QPointer<NotchViewModel> m_model;
    DeskFactory m_deskFactory;
    MotionAnimator m_size;
    MotionAnimator m_radius;
    MotionAnimator m_opacity;
    MotionAnimator m_transition;
    ContentKind m_contentKind = ContentKind::none;
    NotchState m_contentState;
    QPointer<QWidget> m_content;
    std::optional<Snapshot> m_outgoing;
    std::optional<Snapshot> m_incoming;
    bool m_pointerInside = false;
    bool m_pressInside = false;
    // In global coordinates.
    std::optional<QPointF> m_lastPointer;
    // The last pointer position came from asking the server, not from one of its events.
    bool m_pointerAsked = false;
    QRectF m_lastSurface;
    double m_contentPaddingSetting = 12;
    bool m_contrastOutline = false;
};

} // namespace vesk
