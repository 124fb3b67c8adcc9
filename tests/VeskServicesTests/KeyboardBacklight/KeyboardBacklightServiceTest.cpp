#include "VeskServices/KeyboardBacklight/KeyboardBacklightService.h"

#include "support/DeviceInput/FakeDevices.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace vesk;
using vesk::test::FakeKeyboardBacklight;
using vesk::test::ManualScheduler;

namespace {

class KeyboardBacklightServiceTest : public ::testing::Test {
protected:
    // `reports`: a backend that announces its changes (UPower) or one to poll (an LED).
    KeyboardBacklightService& make(bool reports, bool available = true) {
        auto fake = std::make_unique<FakeKeyboardBacklight>(reports);
        backlight = fake.get();
        backlight->available = available;
        service = std::make_unique<KeyboardBacklightService>(std::move(fake), &scheduler);
        service->levels().consume(
            nullptr, [this](double level) { published.push_back(level); }, scheduler);
        QObject::connect(service.get(), &KeyboardBacklightService::availabilityChanged,
                         [this] { ++announced; });
        return *service;
    }
    void tick() { scheduler.advance(KeyboardBacklightService::pollInterval); }

    ManualScheduler scheduler;
    FakeKeyboardBacklight* backlight = nullptr;
    std::unique_ptr<KeyboardBacklightService> service;
    std::vector<double> published;
    int announced = 0;
};

} // namespace

TEST_F(KeyboardBacklightServiceTest, APolledBacklightPublishesMovesAboveTheThresholdUntilStopped) {
    KeyboardBacklightService& kb = make(false);
    kb.start();
    tick();
    backlight->move(0.504);
    tick();
    EXPECT_TRUE(published.empty());
    backlight->move(1.0);
    tick();
    backlight->move(std::nan(""));
    tick();
    EXPECT_EQ(published, std::vector<double>{1.0});

    kb.stop();
    backlight->move(0.2);
    scheduler.advance(1);
    EXPECT_EQ(published, std::vector<double>{1.0});
}

TEST_F(KeyboardBacklightServiceTest, ABacklightThatReportsChangesIsFollowedNotPolled) {
    KeyboardBacklightService& kb = make(true);
    kb.start();
    scheduler.runPending();
    EXPECT_EQ(scheduler.pendingCount(), 0) << "no poll timer";

    backlight->move(0.502);
    backlight->move(0.75);
    scheduler.runPending();
    EXPECT_EQ(published, std::vector<double>{0.75});

    // Our own write is published as soon as it is issued.
    ASSERT_TRUE(kb.set(1.0));
    scheduler.runPending();
    EXPECT_EQ(published, (std::vector<double>{0.75, 1.0}));
}

TEST_F(KeyboardBacklightServiceTest, SetClampsTheLevel) {
    KeyboardBacklightService& kb = make(false);
    EXPECT_TRUE(kb.set(2.0));
    EXPECT_TRUE(kb.set(-0.5));
    EXPECT_EQ(backlight->writes, (std::vector<double>{1.0, 0.0}));
    backlight->writable = false;
    EXPECT_FALSE(kb.canSet());
    EXPECT_FALSE(kb.set(0.5));
}

// Without a backlight the service idles, polling nothing; one found later is followed
// from its level then, and one that goes again is announced once.
TEST_F(KeyboardBacklightServiceTest, ABacklightFoundLaterIsFollowedFromThen) {
    KeyboardBacklightService& none = make(false, false);
    EXPECT_FALSE(none.isAvailable());
    EXPECT_FALSE(none.canSet());
    EXPECT_FALSE(none.read());
    EXPECT_FALSE(none.set(0.5));
    none.start();
    scheduler.advance(5);
    EXPECT_EQ(scheduler.pendingCount(), 0);

    KeyboardBacklightService& kb = make(true, false);
    kb.start();
    backlight->level = 0.25;
    backlight->setAvailable(true);
    EXPECT_EQ(announced, 1);
    EXPECT_TRUE(kb.isAvailable());
    scheduler.runPending();
    EXPECT_TRUE(published.empty()) << "the level found is the starting point";
    backlight->move(0.5);
    scheduler.runPending();
    EXPECT_EQ(published, std::vector<double>{0.5});

    backlight->setAvailable(false);
    backlight->setAvailable(false);
    EXPECT_EQ(announced, 2);
    backlight->move(0.9);
    scheduler.advance(1);
    EXPECT_EQ(published, std::vector<double>{0.5});
}
