#include "VeskServices/Brightness/BrightnessService.h"

#include "support/DeviceInput/FakeDevices.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

using namespace vesk;
using vesk::test::FakeDisplayBrightness;
using vesk::test::ManualScheduler;

namespace {

using Source = BrightnessState::Source;

// The service over a fake panel, its queue and stream on virtual time.
class BrightnessServiceTest : public ::testing::Test {
protected:
    BrightnessService& make() {
        auto fake = std::make_unique<FakeDisplayBrightness>();
        display = fake.get();
        display->level = initialLevel;
        display->device = hasDevice;
        service = std::make_unique<BrightnessService>(std::move(fake), &scheduler);
        service->states().consume(
            nullptr, [this](BrightnessState state) { published.push_back(state); }, scheduler);
        return *service;
    }
    // Sets the level the panel reports and lets one poll pass.
    void panelAt(std::optional<double> level) {
        display->level = level;
        scheduler.advance(BrightnessService::pollInterval);
    }

    std::optional<double> initialLevel = 0.5;
    bool hasDevice = true;
    ManualScheduler scheduler;
    FakeDisplayBrightness* display = nullptr;
    std::unique_ptr<BrightnessService> service;
    std::vector<BrightnessState> published;
};

} // namespace

// A readable backlight is the source; one whose reading is not a fraction is not, but
// can still be set; without one nothing is read, set, or polled.
TEST_F(BrightnessServiceTest, TheSourceIsAReadableBacklight) {
    const struct {
        bool device;
        std::optional<double> level;
        BrightnessState state;
        bool canSet;
    } cases[] = {
        {true, 0.5, {0.5, true, Source::displayServices}, true},
        {true, 1.2, {0, false, Source::unavailable}, true},
        {false, 0.5, {0, false, Source::unavailable}, false},
    };
    for (const auto& c : cases) {
        hasDevice = c.device;
        initialLevel = c.level;
        BrightnessService& brightness = make();
        EXPECT_EQ(brightness.currentState(), c.state) << *c.level;
        EXPECT_EQ(brightness.source(), c.state.source);
        EXPECT_EQ(brightness.isAvailable(), c.state.isAvailable);
        EXPECT_EQ(brightness.canSet(), c.canSet);
        EXPECT_EQ(brightness.set(0.3), c.canSet);
    }
    EXPECT_FALSE(service->read());
    const int pending = scheduler.pendingCount();
    service->start();
    EXPECT_EQ(scheduler.pendingCount(), pending);
    scheduler.advance(5);
    EXPECT_TRUE(published.empty());
}

TEST_F(BrightnessServiceTest, PollsEveryFifthOfASecondAndPublishesOnlyMovesAboveTheThreshold) {
    BrightnessService& brightness = make();
    brightness.start();
    scheduler.advance(BrightnessService::pollInterval);
    EXPECT_TRUE(published.empty()) << "unchanged since priming";

    panelAt(0.503);
    panelAt(0.504);
    EXPECT_TRUE(published.empty());
    panelAt(0.505);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0], (BrightnessState{0.505, true, Source::displayServices}));
    panelAt(0.505 - 0.0625);
    ASSERT_EQ(published.size(), 2u);
    EXPECT_DOUBLE_EQ(published[1].level, 0.4425);

    display->level = 0.9;
    scheduler.advance(0.19);
    EXPECT_EQ(published.size(), 2u);
    scheduler.advance(0.02);
    EXPECT_EQ(published.size(), 3u);
}

// Readings that are not fractions count as none; after none at priming, the first
// valid tick publishes.
TEST_F(BrightnessServiceTest, InvalidReadingsCountAsNone) {
    BrightnessService& brightness = make();
    display->level = std::nullopt;
    brightness.start();
    scheduler.runPending();
    for (double bad : {1.0000001, std::numeric_limits<double>::infinity(), std::nan(""), -0.1}) {
        display->level = bad;
        EXPECT_FALSE(brightness.read()) << bad;
        panelAt(bad);
    }
    EXPECT_TRUE(published.empty());
    panelAt(0.5);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0].level, 0.5);
}

TEST_F(BrightnessServiceTest, SetClampsTheLevel) {
    BrightnessService& brightness = make();
    EXPECT_TRUE(brightness.set(1.4));
    EXPECT_TRUE(brightness.set(-1));
    EXPECT_TRUE(brightness.set(std::nan("")));
    EXPECT_EQ(display->writes, (std::vector<double>{1.0, 0.0, 0.0}));
}

TEST_F(BrightnessServiceTest, StopEndsThePoll) {
    BrightnessService& brightness = make();
    brightness.start();
    brightness.stop();
    panelAt(0.9);
    scheduler.advance(2);
    EXPECT_TRUE(published.empty());
    brightness.start();
    scheduler.advance(BrightnessService::pollInterval);
    EXPECT_TRUE(published.empty()) << "primed afresh";
}

TEST_F(BrightnessServiceTest, RefusedWritesAreAnnounced) {
    BrightnessService& brightness = make();
    int announced = 0;
    QObject::connect(&brightness, &BrightnessService::availabilityChanged, [&] { ++announced; });
    display->refuseWrites();
    EXPECT_EQ(announced, 1);
    EXPECT_FALSE(brightness.canSet());
    EXPECT_TRUE(brightness.isAvailable()) << "still readable";
}
