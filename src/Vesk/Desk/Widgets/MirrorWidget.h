#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "Vesk/Desk/Widgets/MirrorController.h"

#include <QImage>
#include <QPointer>

#include <memory>
#include <optional>

namespace vesk {

class CameraAccess;

// "Mirror": the camera's picture, mirrored left to right, in a circle — running only while
// the widget is on screen. Each showing has its own number: an answer (permission, a
// started session) that arrives after the showing it belongs to has ended starts nothing,
// and a session it brings is stopped at once, so the camera never stays on unseen.
class MirrorWidget : public DeskWidget {
    Q_OBJECT

public:
    static constexpr double circleSide = 78;

    // The environment's camera access and capture when null (by default the desktop's
    // and Qt Multimedia).
    MirrorWidget(const DeskEnvironment& environment, CameraAccess* access = nullptr,
                 std::unique_ptr<MirrorController> controller = nullptr, QWidget* parent = nullptr);
    ~MirrorWidget() override;

    bool isDenied() const { return m_denied; }
    std::optional<quint64> session() const { return m_session; }
    QRectF circleRect() const;

protected:
    void appeared() override;
    void disappeared() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void startCapture(quint64 generation);
    void setDenied(bool denied);

    std::unique_ptr<CameraAccess> m_ownAccess;
    QPointer<CameraAccess> m_access;
    std::unique_ptr<MirrorController> m_controller;
    quint64 m_generation = 0;
    std::optional<quint64> m_session;
    QImage m_frame;
    bool m_denied = false;
};

} // namespace vesk
