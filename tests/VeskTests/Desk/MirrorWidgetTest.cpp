// The mirror over a fake camera and a fake permission, on virtual time.
#include "Vesk/Desk/Widgets/MirrorWidget.h"
#include "VeskPlatform/Camera/CameraAccess.h"
#include "VeskPlatform/Camera/CameraCapture.h"

#include "support/Desk/DeskFixture.h"

#include <gtest/gtest.h>

#include <QPainter>

using namespace vesk;
using namespace vesk::test;

namespace {

struct Camera {
    int running = 0;
    int mostRunning = 0;
    int starts = 0;
    bool fails = false;
    QImage frame;
};

class FakeCapture final : public CameraCapture {
public:
    explicit FakeCapture(Camera& camera) : m_camera(camera) {}
    ~FakeCapture() override { stop(); }
    void start(int side, std::function<void(bool)> started,
               std::function<void(const QImage&)> frame) override {
        ++m_camera.starts;
        if (m_camera.fails) return started(false);
        m_running = true;
        m_camera.mostRunning = std::max(m_camera.mostRunning, ++m_camera.running);
        started(true);
        if (!m_camera.frame.isNull()) frame(squareCrop(m_camera.frame, side));
    }
    void stop() override {
        if (std::exchange(m_running, false)) --m_camera.running;
    }
    bool isRunning() const override { return m_running; }

private:
    Camera& m_camera;
    bool m_running = false;
};

class FakeAccess final : public CameraAccess {
public:
    Authorization status = Authorization::authorized;
    std::function<void(bool)> pending;
    Authorization authorization() const override { return status; }
    void requestAccess(std::function<void(bool)> done) override { pending = std::move(done); }
};

class MirrorWidgetTest : public ::testing::Test, public DeskFixture {
protected:
    ScopedMainScheduler guard{scheduler};
    Camera camera;
    FakeAccess access;

    std::unique_ptr<MirrorWidget> make() {
        auto controller = std::make_unique<MirrorController>(
            [this] { return std::make_unique<FakeCapture>(camera); }, &scheduler);
        auto widget = std::make_unique<MirrorWidget>(environment, &access, std::move(controller));
        widget->resize(120, 120);
        widget->setAttribute(Qt::WA_DontShowOnScreen);
        return widget;
    }
};

} // namespace

TEST_F(MirrorWidgetTest, AGrantArrivingAfterTheWidgetLeftStartsNothing) {
    access.status = CameraAccess::Authorization::notDetermined;
    auto widget = make();
    widget->show();
    widget->hide();
    ASSERT_TRUE(access.pending);
    access.pending(true);
    scheduler.runPending();
    EXPECT_EQ(camera.starts, 0);
    EXPECT_EQ(camera.running, 0);
}

TEST_F(MirrorWidgetTest, QuickShowingsNeverRunTwoCamerasAndLeaveNoneRunning) {
    auto widget = make();
    widget->show();
    widget->hide();
    widget->show();
    scheduler.runPending();
    EXPECT_EQ(camera.mostRunning, 1);
    EXPECT_EQ(camera.running, 1);
    EXPECT_TRUE(widget->session());
    widget->hide();
    scheduler.runPending();
    EXPECT_EQ(camera.running, 0);

    widget->show();
    scheduler.runPending();
    EXPECT_EQ(camera.running, 1);
    widget.reset();
    scheduler.runPending();
    EXPECT_EQ(camera.running, 0) << "deleting the shown widget stops the camera";
}

TEST_F(MirrorWidgetTest, NoCameraARefusalOrAFailedStartShowNoAccess) {
    struct Row {
        CameraAccess::Authorization status;
        bool fails;
    };
    for (const Row& row : {Row{CameraAccess::Authorization::denied, false},
                           Row{CameraAccess::Authorization::restricted, false},
                           Row{CameraAccess::Authorization::authorized, true}}) {
        access.status = row.status;
        camera.fails = row.fails;
        auto widget = make();
        widget->show();
        scheduler.runPending();
        EXPECT_TRUE(widget->isDenied());
        EXPECT_EQ(camera.running, 0);
    }
}

TEST_F(MirrorWidgetTest, ThePictureIsMirroredInsideTheCircle) {
    camera.frame = QImage(64, 48, QImage::Format_ARGB32);
    camera.frame.fill(Qt::white);
    QPainter(&camera.frame).fillRect(QRect(8, 0, 12, 48), Qt::red); // a mark on the left
    auto widget = make();
    widget->show();
    scheduler.runPending();
    ASSERT_TRUE(widget->session());
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    const QRectF circle = widget->circleRect();
    const int y = int(circle.center().y());
    EXPECT_EQ(image.pixelColor(int(circle.right() - 12), y), QColor(Qt::red))
        << "the mark shows on the right";
    EXPECT_EQ(image.pixelColor(int(circle.left() + 12), y), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(int(circle.left()) + 2, int(circle.top()) + 2).alpha(), 0)
        << "clipped to the circle";
}
