#include "VeskServices/Battery/BatteryService.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Power/FakePowerSources.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QThread>

#include <cmath>
#include <vector>

using namespace vesk;
using vesk::test::FakePowerSources;

namespace {

std::ostream& operator<<(std::ostream& os, BatteryEvent::Kind kind) {
    static const char* names[] = {"pluggedIn", "unplugged", "lowBattery", "lowPowerMode", "charged"};
    return os << names[static_cast<int>(kind)];
}

} // namespace

namespace vesk {

void PrintTo(const BatteryEvent& event, std::ostream* os) {
    *os << event.kind() << '(' << event.percentage() << ", " << event.isOn() << ')';
}

} // namespace vesk

namespace {

// What a reading gives with nothing but a level.
BatteryState readingAt(double percentage) {
    BatteryState state;
    state.percentage = percentage;
    state.isPresent = true;
    return state;
}

class BatteryServiceTest : public ::testing::Test {
protected:
    BatteryServiceTest() : main(scheduler) {
        auto fake = std::make_unique<FakePowerSources>();
        sources = fake.get();
        sources->source = FakePowerSources::battery(0.8, false);
        service = std::make_unique<BatteryService>(std::move(fake));
        consumer =
            service->events().consume(nullptr, [this](BatteryEvent event) { events.push_back(event); });
    }
    ~BatteryServiceTest() override { consumer.cancel(); }

    // Delivers what the service yielded and hands it over.
    std::vector<BatteryEvent> take() {
        scheduler.runPending();
        return std::exchange(events, {});
    }
    void setLevel(double fraction, bool onExternalPower = false) {
        sources->setSource(FakePowerSources::battery(fraction, onExternalPower));
    }

    test::ManualScheduler scheduler;
    test::ScopedMainScheduler main;
    FakePowerSources* sources = nullptr;
    std::unique_ptr<BatteryService> service;
    std::vector<BatteryEvent> events;
    TaskHandle consumer;
};

} // namespace

TEST(BatteryServiceReadTest, DescriptionsReadAsTheSystemMeansThem) {
    struct Case {
        const char* what;
        std::optional<PowerSourceDescription> source;
        BatteryState expected;
    };
    auto with = [](auto change) {
        PowerSourceDescription description = FakePowerSources::battery(0.5, false);
        change(description);
        return std::optional(description);
    };
    const BatteryState half = readingAt(0.5);
    auto expect = [&](auto change) {
        BatteryState state = half;
        change(state);
        return state;
    };
    const std::vector<Case> cases = {
        {"no power source is the desktop default", std::nullopt, readingAt(1.0)},
        {"plain half battery", with([](auto&) {}), half},
        {"95 minutes to empty", with([](auto& d) { d.timeToEmpty = 95; }),
         expect([](auto& s) { s.timeRemaining = 5700.0; })},
        {"still estimating (-1)", with([](auto& d) { d.timeToEmpty = -1; }), half},
        {"zero minutes is no estimate", with([](auto& d) { d.timeToEmpty = 0; }), half},
        {"charging reads time to full, not to empty", with([](auto& d) {
             d.isCharging = true;
             d.powerSourceState = PowerSourceDescription::acPower();
             d.timeToEmpty = 300;
             d.timeToFullCharge = 30;
         }),
         expect([](auto& s) {
             s.isCharging = true;
             s.isPluggedIn = true;
             s.timeRemaining = 1800.0;
         })},
        {"max capacity 0 reads as full", with([](auto& d) { d.maxCapacity = 0.0; }),
         expect([](auto& s) { s.percentage = 1.0; })},
        {"missing capacities read as full", with([](auto& d) {
             d.currentCapacity.reset();
             d.maxCapacity.reset();
         }),
         expect([](auto& s) { s.percentage = 1.0; })},
        {"missing power state is not plugged in", with([](auto& d) { d.powerSourceState.reset(); }), half},
        {"charged on AC", with([](auto& d) {
             d.isCharged = true;
             d.powerSourceState = PowerSourceDescription::acPower();
         }),
         expect([](auto& s) {
             s.isCharged = true;
             s.isPluggedIn = true;
         })},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BatteryService::read(c.source, false), c.expected) << c.what;
    EXPECT_TRUE(BatteryService::read(std::nullopt, true).lowPowerMode);
}

TEST_F(BatteryServiceTest, TheFirstReadingSetsTheStartingPointWithoutEvents) {
    sources->source = FakePowerSources::battery(0.1, false);
    service->start();
    ASSERT_TRUE(service->previous().has_value());
    EXPECT_DOUBLE_EQ(service->previous()->percentage, 0.1);
    EXPECT_TRUE(take().empty());
    // Already low at start: the next notification reports it.
    setLevel(0.1);
    EXPECT_EQ(take(), std::vector{BatteryEvent::lowBattery(0.1)});
}

TEST_F(BatteryServiceTest, SourcesThatAnswerLaterPrimeOnTheirFirstAnswer) {
    sources->ready = false;
    sources->source.reset(); // placeholder until the daemon answers
    service->start();
    EXPECT_FALSE(service->previous().has_value());

    sources->source = FakePowerSources::battery(0.6, true);
    sources->becomeReady();
    EXPECT_TRUE(take().empty()) << "the first real reading is not a plug-in";
    ASSERT_TRUE(service->previous().has_value());
    EXPECT_TRUE(service->previous()->isPluggedIn);

    setLevel(0.6, false);
    EXPECT_EQ(take(), std::vector{BatteryEvent::unplugged(0.6)});
}

// Low battery latches with hysteresis; each reading yields its events in order, and a
// repeated reading is not news.
TEST_F(BatteryServiceTest, ReadingsYieldTheirEventsInOrderWithLowBatteryLatched) {
    service->start();
    using E = BatteryEvent;
    const struct {
        double level;
        bool external;
        bool charged;
        std::vector<BatteryEvent> expected;
        bool latched;
    } steps[] = {
        {0.20, false, false, {E::lowBattery(0.2)}, true},
        {0.19, false, false, {}, true},
        {0.24, false, false, {}, true},
        {0.26, false, false, {}, false},
        {0.15, false, false, {E::lowBattery(0.15)}, true},
        {0.15, true, false, {E::pluggedIn(0.15)}, false},
        {0.15, false, false, {E::unplugged(0.15), E::lowBattery(0.15)}, true},
        {1.0, true, true, {E::pluggedIn(1.0), E::charged()}, false},
        {1.0, true, true, {}, false},
    };
    for (const auto& step : steps) {
        sources->setSource(FakePowerSources::battery(step.level, step.external, false, step.charged));
        EXPECT_EQ(take(), step.expected) << "at " << step.level;
        EXPECT_EQ(service->isLowBatteryLatched(), step.latched) << "at " << step.level;
    }
}

// No power source reads as a full desktop; one appearing or vanishing is no plug event.
TEST_F(BatteryServiceTest, APowerSourceAppearingOrVanishingIsNoEvent) {
    sources->source.reset();
    service->start();
    sources->setSource(std::nullopt);
    EXPECT_TRUE(take().empty());
    EXPECT_EQ(service->currentState(), readingAt(1.0));
    setLevel(0.5, true); // e.g. UPower started after us
    EXPECT_TRUE(take().empty());
    setLevel(0.5, false);
    EXPECT_EQ(take(), std::vector{BatteryEvent::unplugged(0.5)});
    sources->setSource(std::nullopt);
    EXPECT_TRUE(take().empty());
}

TEST_F(BatteryServiceTest, EachLowPowerModeChangeYieldsExactlyOneEvent) {
    service->start();
    sources->setLowPowerMode(true);
    EXPECT_EQ(take(), std::vector{BatteryEvent::lowPowerMode(true)});
    sources->setLowPowerMode(true);
    EXPECT_TRUE(take().empty()) << "a repeated notification is not a change";
    sources->setLowPowerMode(false);
    EXPECT_EQ(take(), std::vector{BatteryEvent::lowPowerMode(false)});
    // A level change afterwards does not repeat it.
    setLevel(0.7);
    EXPECT_TRUE(take().empty());
}

TEST_F(BatteryServiceTest, StopEndsPowerEventsButNotLowPowerMode) {
    service->start();
    service->stop();
    setLevel(0.1, true);
    EXPECT_TRUE(take().empty());
    sources->setLowPowerMode(true);
    EXPECT_EQ(take(), std::vector{BatteryEvent::lowPowerMode(true)});
}

TEST_F(BatteryServiceTest, WithoutNotificationsStartOnlyPrimes) {
    sources->startSucceeds = false;
    service->start();
    EXPECT_TRUE(service->previous().has_value());
    setLevel(0.1, true);
    sources->setLowPowerMode(true);
    EXPECT_TRUE(take().empty());
}

TEST_F(BatteryServiceTest, TheThresholdIsClampedAndFollowed) {
    service->setLowBatteryThreshold(1.7);
    EXPECT_EQ(service->lowBatteryThreshold(), 1.0);
    service->setLowBatteryThreshold(-1);
    EXPECT_EQ(service->lowBatteryThreshold(), 0.0);
    service->setLowBatteryThreshold(std::nan(""));
    EXPECT_EQ(service->lowBatteryThreshold(), 0.0);

    service->setLowBatteryThreshold(0.1);
    service->start();
    setLevel(0.15);
    EXPECT_TRUE(take().empty());
    setLevel(0.1);
    EXPECT_EQ(take(), std::vector{BatteryEvent::lowBattery(0.1)});
}

// A Low Power Mode change reported on another thread reaches the service on the main
// thread, where its state lives.
TEST(BatteryServiceThreadTest, LowPowerModeChangesAreHandledOnTheMainThread) {
    auto fake = std::make_unique<FakePowerSources>();
    FakePowerSources* sources = fake.get();
    sources->source = FakePowerSources::battery(0.8, false);
    BatteryService service(std::move(fake));
    std::vector<BatteryEvent> events;
    TaskHandle consumer =
        service.events().consume(nullptr, [&](BatteryEvent event) { events.push_back(event); });
    service.start();
    const int readsBefore = static_cast<int>(sources->lowPowerModeReadThreads().size());

    QThread* poster = QThread::create([sources] { sources->setLowPowerMode(true); });
    poster->start();
    poster->wait();
    delete poster;

    ASSERT_TRUE(test::processEventsUntil([&] { return !events.empty(); }));
    EXPECT_EQ(events, std::vector{BatteryEvent::lowPowerMode(true)});
    const QList<QThread*> reads = sources->lowPowerModeReadThreads().mid(readsBefore);
    ASSERT_FALSE(reads.isEmpty());
    for (QThread* thread : reads)
        EXPECT_EQ(thread, QCoreApplication::instance()->thread());
    EXPECT_TRUE(service.previous()->lowPowerMode);
    consumer.cancel();
}
