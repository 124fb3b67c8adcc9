#include "VeskPlatform/Camera/QtCameraCapture.h"
#include "VeskKit/Foundation/SerialQueue.h"

#include "support/EventLoop.h"

#include <gtest/gtest.h>

#include <QCameraDevice>
#include <QMediaDevices>

#include <atomic>

using namespace vesk;

// CI machines have no camera: the capture must say so on its own thread, not crash.
TEST(QtCameraCaptureTest, WithoutACameraNoSessionStartsAndNothingCrashes) {
    if (!QMediaDevices::videoInputs().isEmpty()) GTEST_SKIP() << "this machine has a camera";
    SerialQueue queue(QStringLiteral("app.tessarn.notch.mirror"));
    std::atomic<int> answer{-1};
    std::unique_ptr<CameraCapture> capture;
    queue.async([&] {
        capture = CameraCapture::create();
        capture->start(
            156, [&](bool started) { answer = started ? 1 : 0; }, [](const QImage&) {});
    });
    ASSERT_TRUE(test::processEventsUntil([&] { return answer != -1; }, 30000))
        << "the capture never answered";
    EXPECT_EQ(answer, 0);
    queue.sync([&] {
        EXPECT_FALSE(capture->isRunning());
        capture.reset();
    });
}
