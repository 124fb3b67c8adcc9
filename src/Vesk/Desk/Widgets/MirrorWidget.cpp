#include "Vesk/Desk/Widgets/MirrorWidget.h"

#include "Vesk/Desk/Widgets/MirrorController.h"
#include "VeskKit/Diagnostics/BuildProfile.h"
#include "VeskPlatform/Camera/DesktopCameraAccess.h"
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace vesk {

MirrorWidget::MirrorWidget(const DeskEnvironment& environment, CameraAccess* access,
                           std::unique_ptr<MirrorController> controller, QWidget* parent)
    : DeskWidget(environment, parent), m_controller(std::move(controller)) {
    setAccessibleName(QStringLiteral("Mirror"));
    if (!access) access = environment.cameraAccess;
    if (!access) {
        m_ownAccess = std::make_unique<DesktopCameraAccess>(BuildProfile::current().isSandboxed);
        access = m_ownAccess.get();
    }
    m_access = access;
    if (!m_controller) m_controller = std::make_unique<MirrorController>(environment.makeCameraCapture);
    connect(m_controller.get(), &MirrorController::frameArrived, this,
            [this](quint64 session, const QImage& frame) {
                if (m_session != session) return;
                m_frame = frame;
                update(circleRect().toAlignedRect());
            });
}

MirrorWidget::~MirrorWidget() {
    endAppearance();
}

QRectF MirrorWidget::circleRect() const {
    return QRectF((width() - circleSide) / 2, 0, circleSide, circleSide);
}

void MirrorWidget::appeared() {
    const quint64 generation = ++m_generation;
    if (!m_access) return setDenied(true);
    switch (m_access->authorization()) {
    case CameraAccess::Authorization::notDetermined: {
        QPointer<MirrorWidget> self(this);
        m_access->requestAccess([self, generation](bool granted) {
            // The showing that asked may be over: then nothing starts.
            if (!self || self->m_generation != generation) return;
            if (granted)
                self->startCapture(generation);
            else
                self->setDenied(true);
        });
        break;
    }
    case CameraAccess::Authorization::authorized:
        startCapture(generation);
        break;
    case CameraAccess::Authorization::restricted:
    case CameraAccess::Authorization::denied:
        setDenied(true);
        break;
    }
}

void MirrorWidget::startCapture(quint64 generation) {
    const int side = int(std::ceil(circleSide * devicePixelRatioF()));
    QPointer<MirrorWidget> self(this);
    MirrorController* controller = m_controller.get();
    controller->start(side, [self, controller, generation](std::optional<quint64> session) {
        if (!self || self->m_generation != generation) {
            // Too late for the showing that wanted it: nobody will see this session.
            if (session && self) controller->stop(session);
            return;
        }
        self->m_session = session;
        self->setDenied(!session);
        self->update();
    });
}

void MirrorWidget::disappeared() {
    ++m_generation;
    m_session.reset();
    m_frame = QImage();
    m_controller->stop();
    update();
}

void MirrorWidget::setDenied(bool denied) {
    m_denied = denied;
    update();
}

void MirrorWidget::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF circle = circleRect();
    QPainterPath round;
    round.addEllipse(circle);
    p.fillPath(round, Vesk::Ink::x850);
    if (m_session && !m_frame.isNull()) {
        p.save();
        p.setClipPath(round);
        // Mirrored left to right, filling the circle.
        p.translate(circle.center());
        p.scale(-1, 1);
        p.translate(-circle.center());
        p.drawImage(circle, m_frame);
        p.restore();
    } else {
        const QFont font = systemFont(11);
        const QFontMetricsF metrics(font);
        const double symbol = Symbols::sideForFontSize(20);
        const double height = symbol + 4 + metrics.height();
        const double top = circle.center().y() - height / 2;
        Symbols::paint(p, QRectF(circle.center().x() - symbol / 2, top, symbol, symbol),
                       m_denied ? QStringLiteral("video.slash") : QStringLiteral("person.crop.circle"),
                       Vesk::Stone::x400);
        p.setFont(font);
        p.setPen(Vesk::Stone::x300);
        p.drawText(QRectF(circle.left(), top + symbol + 4, circle.width(), metrics.height()), Qt::AlignCenter,
                   m_denied ? QStringLiteral("No access") : QStringLiteral("Mirror"));
    }
    p.setPen(QPen(Vesk::Ink::x700, 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(circle);
}

} // namespace vesk
