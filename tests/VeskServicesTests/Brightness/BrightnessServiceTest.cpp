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

TEST_F(BrightnessServiceTest, AReadableBacklightIsTheSource) {
    BrightnessService& brightness = make();
    EXPECT_EQ(brightness.source(), Source::displayServices);
    EXPECT_TRUE(brightness.isAvailable());
    EXPECT_TRUE(brightness.canSet());
    EXPECT_EQ(brightness.currentState(), (BrightnessState{0.5, true, Source::displayServices}));
    EXPECT_EQ(toRaw(brightness.source()), QStringLiteral("displayServices"));
}

TEST_F(BrightnessServiceTest, WithoutABacklightNothingRuns) {
    hasDevice = false;
    BrightnessService& brightness = make();
    EXPECT_EQ(brightness.source(), Source::unavailable);
    EXPECT_FALSE(brightness.isAvailable());
    EXPECT_FALSE(brightness.canSet());
    EXPECT_EQ(brightness.currentState(), (BrightnessState{0, false, Source::unavailable}));
    EXPECT_FALSE(brightness.read());
    EXPECT_FALSE(brightness.set(0.5));
    const int pending = scheduler.pendingCount();
    brightness.start();
    EXPECT_EQ(scheduler.pendingCount(), pending);
    scheduler.advance(5);
    EXPECT_TRUE(published.empty());
}

TEST_F(BrightnessServiceTest, ABacklightWithoutAValidReadingIsUnavailableButCanStillBeSet) {
    initialLevel = 1.2;
    BrightnessService& brightness = make();
    EXPECT_EQ(brightness.source(), Source::unavailable);
    EXPECT_TRUE(brightness.set(0.3));
    EXPECT_EQ(display->writes, std::vector<double>{0.3});
}

TEST_F(BrightnessServiceTest, PublishesOnlyMovesAboveTheThreshold) {
    BrightnessService& brightness = make();
    brightness.start();
    scheduler.advance(BrightnessService::pollInterval);
    EXPECT_TRUE(published.empty()) << "unchanged since priming";

    panelAt(0.503);
    EXPECT_TRUE(published.empty());
    panelAt(0.504);
    EXPECT_TRUE(published.empty());
    panelAt(0.505);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0], (BrightnessState{0.505, true, Source::displayServices}));
    panelAt(0.505 - 0.0625);
    EXPECT_EQ(published.size(), 2u);
    EXPECT_DOUBLE_EQ(published[1].level, 0.4425);
}

TEST_F(BrightnessServiceTest, PollsEveryFifthOfASecond) {
    BrightnessService& brightness = make();
    brightness.start();
    scheduler.runPending();
    display->level = 0.9;
    scheduler.advance(0.19);
    EXPECT_TRUE(published.empty());
    scheduler.advance(0.02);
    EXPECT_EQ(published.size(), 1u);
}

TEST_F(BrightnessServiceTest, AfterNoReadingAtPrimingTheFirstValidTickPublishes) {
    BrightnessService& brightness = make();
    display->level = std::nullopt;
    brightness.start();
    scheduler.runPending();
    panelAt(0.5);
    ASSERT_EQ(published.size(), 1u);
    EXPECT_EQ(published[0].level, 0.5);
}

TEST_F(BrightnessServiceTest, InvalidReadingsCountAsNone) {
    BrightnessService& brightness = make();
    brightness.start();
    for (double bad : {1.0000001, std::numeric_limits<double>::infinity(), std::nan(""), -0.1}) {
        display->level = bad;
        EXPECT_FALSE(brightness.read()) << bad;
        panelAt(bad);
    }
    EXPECT_TRUE(published.empty());
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

TEST(BrightnessStateTest, SourceRawValues) {
    const std::pair<BrightnessState::Source, const char*> table[] = {
        {BrightnessState::Source::displayServices, "displayServices"},
        {BrightnessState::Source::ioKit, "ioKit"},
        {BrightnessState::Source::unavailable, "unavailable"},
    };
    ASSERT_EQ(std::size(table), allBrightnessSources.size());
    for (size_t i = 0; i < std::size(table); ++i) {
        EXPECT_EQ(allBrightnessSources[i], table[i].first);
        EXPECT_EQ(toRaw(table[i].first), QLatin1String(table[i].second));
        EXPECT_EQ(brightnessSourceFromRaw(QString::fromLatin1(table[i].second)), table[i].first);
    }
    EXPECT_FALSE(brightnessSourceFromRaw(u"sysfs"));
}
