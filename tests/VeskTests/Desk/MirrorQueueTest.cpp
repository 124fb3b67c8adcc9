// The mirror over its real queue thread, with a camera whose opening holds until the
// test lets it through: leaving the screen while it opens must still end every capture.
#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/MirrorWidget.h"
#include "VeskPlatform/Camera/CameraAccess.h"
#include "VeskPlatform/Camera/CameraCapture.h"

#include "support/Desk/DeskFixture.h"
#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace vesk;
using namespace vesk::test;

namespace {

// Counts captures across the queue threads; every opening waits for release().
class HeldCamera {
public:
    std::atomic<int> made{0};
    std::atomic<int> destroyed{0};
    std::atomic<int> running{0};

    int opening() {
        std::lock_guard lock(m_mutex);
        return m_opening;
    }
    void release() {
        std::lock_guard lock(m_mutex);
        m_released = true;
        m_changed.notify_all();
    }
    void open() {
        std::unique_lock lock(m_mutex);
        ++m_opening;
        m_changed.wait(lock, [this] { return m_released; });
        --m_opening;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_released = false;
    int m_opening = 0;
};

class HeldCapture final : public CameraCapture {
public:
    explicit HeldCapture(HeldCamera& camera) : m_camera(camera) { ++m_camera.made; }
    ~HeldCapture() override {
        stop();
        ++m_camera.destroyed;
    }
    void start(int side, std::function<void(bool)> started,
               std::function<void(const QImage&)> frame) override {
        m_camera.open();
        m_running = true;
        ++m_camera.running;
        started(true);
        QImage picture(side, side, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::red);
        if (m_running) frame(picture);
    }
    void stop() override {
        if (std::exchange(m_running, false)) --m_camera.running;
    }
    bool isRunning() const override { return m_running; }

private:
    HeldCamera& m_camera;
    bool m_running = false;
};

class GrantedAccess final : public CameraAccess {
public:
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> done) override { done(true); }
};

class MirrorQueueTest : public ::testing::Test, public DeskFixture {
protected:
    MirrorQueueTest() {
        environment.cameraAccess = &access;
        environment.makeCameraCapture = [this] { return std::make_unique<HeldCapture>(camera); };
        builder = DeskWidgetWiring::build;
    }
    ~MirrorQueueTest() override {
        // A failed test must not leave queue threads waiting on the camera, nor captures
        // reaching it after it is gone.
        camera.release();
        processEventsUntil([&] { return camera.made == camera.destroyed; });
    }

    bool opening(int count) {
        return processEventsUntil([&] { return camera.opening() == count; });
    }
    bool allDestroyedBut(int left) {
        return processEventsUntil([&] { return camera.made - camera.destroyed == left; });
    }

    HeldCamera camera;
    GrantedAccess access;
};

} // namespace

TEST_F(MirrorQueueTest, TheDeskClosedWhileTheCameraOpensEndsTheCapture) {
    open({WidgetID::mirror});
    auto shown = desk(DeskTab::desk);
    ASSERT_TRUE(qobject_cast<MirrorWidget*>(shown->row()->widget(WidgetID::mirror)));
    ASSERT_TRUE(opening(1));
    shown.reset();
    EXPECT_EQ(camera.opening(), 1) << "the desk closed without waiting for the camera";

    camera.release();
    ASSERT_TRUE(allDestroyedBut(0)) << "a capture outlived its desk";
    EXPECT_EQ(camera.made, 1);
    EXPECT_EQ(camera.running, 0);
}

TEST_F(MirrorQueueTest, TenQuickTabSwitchesWhileTheCameraOpensLeaveOnlyTheShownOneRunning) {
    open({WidgetID::mirror});
    auto shown = desk(DeskTab::desk);
    ASSERT_TRUE(opening(1));
    for (int i = 0; i < 10; ++i) {
        shown.reset();
        model.send(NotchEvent::selectTab(DeskTab::tray));
        shown = desk(DeskTab::tray);
        shown.reset();
        model.send(NotchEvent::selectTab(DeskTab::desk));
        shown = desk(DeskTab::desk);
        ASSERT_TRUE(opening(i + 2)) << "each return opens the camera again, still held";
    }

    camera.release();
    ASSERT_TRUE(allDestroyedBut(1)) << "captures of the desks switched away outlived them";
    auto* mirror = qobject_cast<MirrorWidget*>(shown->row()->widget(WidgetID::mirror));
    ASSERT_NE(mirror, nullptr);
    ASSERT_TRUE(processEventsUntil([&] { return mirror->session().has_value(); }))
        << "the desk on screen shows the camera";
    EXPECT_EQ(camera.running, 1);

    shown.reset();
    ASSERT_TRUE(allDestroyedBut(0));
    EXPECT_EQ(camera.made, 11);
    EXPECT_EQ(camera.running, 0);
}
