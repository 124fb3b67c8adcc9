#include "VeskServices/EventTap/EventTapService.h"

#include "support/DeviceInput/FakeDevices.h"
#include "support/ManualScheduler.h"

#include <gtest/gtest.h>

#include <vector>

using namespace vesk;
using vesk::test::FakeKeyTap;
using vesk::test::ManualScheduler;
using vesk::test::ScopedMainScheduler;

namespace {

using Mode = EventTapService::Mode;
using Status = EventTapService::Status;

TapEvent systemDefined(qint64 data1, quint64 modifierFlags = 0, int subtype = 8) {
    return {TapEvent::Kind::event, 14, subtype, data1, modifierFlags};
}

// The service over a fake tap, on virtual time, with a handler whose run time the test
// chooses (the uptime clock moves only while the handler runs).
class EventTapServiceTest : public ::testing::Test {
protected:
    EventTapServiceTest() {
        auto fake = std::make_unique<FakeKeyTap>();
        tap = fake.get();
        service = std::make_unique<EventTapService>(std::move(fake), [this] { return uptime; });
        service->setHandler([this](const MediaKeyEvent& event) {
            handled.push_back(event);
            uptime += handlerMs * 1'000'000;
            return handlerAnswer;
        });
        service->setOnStatusChange([this](const Status& status) { statuses.push_back(status); });
    }

    ManualScheduler scheduler;
    ScopedMainScheduler mainGuard{scheduler};
    FakeKeyTap* tap = nullptr;
    std::unique_ptr<EventTapService> service;
    qint64 uptime = 1'000'000'000;
    qint64 handlerMs = 1;
    bool handlerAnswer = true;
    std::vector<MediaKeyEvent> handled;
    std::vector<Status> statuses;
};

} // namespace

TEST_F(EventTapServiceTest, DecodesData1OfAuxiliaryKeyEvents) {
    struct Case {
        qint64 data1;
        quint64 modifiers;
        std::optional<MediaKeyEvent> expected;
    };
    const Case cases[] = {
        {0x00000A00, 0, MediaKeyEvent{MediaKey::soundUp, true, false, false}},
        {0x00010B01, 0, MediaKeyEvent{MediaKey::soundDown, false, true, false}},
        {0x00020A00, 0, MediaKeyEvent{MediaKey::brightnessUp, true, false, false}},
        {0x00030A00, 0, MediaKeyEvent{MediaKey::brightnessDown, true, false, false}},
        {0x00070A00, 0, MediaKeyEvent{MediaKey::mute, true, false, false}},
        {0x00100A00, 0, MediaKeyEvent{MediaKey::play, true, false, false}},
        {0x00110A00, 0, MediaKeyEvent{MediaKey::next, true, false, false}},
        {0x00120A00, 0, MediaKeyEvent{MediaKey::previous, true, false, false}},
        {0x00130A00, 0, MediaKeyEvent{MediaKey::fast, true, false, false}},
        {0x00140A00, 0, MediaKeyEvent{MediaKey::rewind, true, false, false}},
        {0x00150A01, 0, MediaKeyEvent{MediaKey::illuminationUp, true, true, false}},
        {0x00160B00, 0, MediaKeyEvent{MediaKey::illuminationDown, false, false, false}},
        // Shift alone is not fine adjustment; Shift with Alt is.
        {0x00000A00, 0x20000, MediaKeyEvent{MediaKey::soundUp, true, false, false}},
        {0x00000A00, 0x80000, MediaKeyEvent{MediaKey::soundUp, true, false, false}},
        {0x00000A00, 0xA0000, MediaKeyEvent{MediaKey::soundUp, true, false, true}},
        // A state other than down reads as up.
        {0x00000C00, 0, MediaKeyEvent{MediaKey::soundUp, false, false, false}},
        // Not media keys.
        {0x00040A00, 0, std::nullopt},
        {0x00170A00, 0, std::nullopt},
    };
    service->start(Mode::intercept);
    for (const Case& c : cases) {
        handled.clear();
        const bool swallowed = tap->send(systemDefined(c.data1, c.modifiers));
        if (c.expected) {
            ASSERT_EQ(handled.size(), 1u) << std::hex << c.data1;
            EXPECT_EQ(handled[0], *c.expected) << std::hex << c.data1;
            EXPECT_TRUE(swallowed);
        } else {
            EXPECT_TRUE(handled.empty()) << std::hex << c.data1;
            EXPECT_FALSE(swallowed);
        }
    }
    // Only auxiliary key events (subtype 8 of type 14) reach the handler, if there is one.
    handled.clear();
    EXPECT_FALSE(tap->send(systemDefined(0x0A00, 0, 7)));
    EXPECT_FALSE(tap->send({TapEvent::Kind::event, 10, 8, 0x0A00, 0}));
    EXPECT_TRUE(handled.empty());
    service->setHandler({});
    EXPECT_FALSE(tap->send(systemDefined(0x0A00)));
}

TEST_F(EventTapServiceTest, TheLayerPacksWhatTheServiceDecodes) {
    service->start(Mode::intercept);
    tap->send(TapEvent::auxKey(21, true, true, true, true));
    tap->send(TapEvent::auxKey(1, false, false, true, false));
    EXPECT_EQ(handled, (std::vector<MediaKeyEvent>{{MediaKey::illuminationUp, true, true, true},
                                                   {MediaKey::soundDown, false, false, false}}));
}

TEST_F(EventTapServiceTest, ListeningNeverSwallowsAndIgnoresSlowHandlers) {
    EXPECT_EQ(service->start(Mode::listen), Status(EventTapService::Running{Mode::listen}));
    EXPECT_EQ(tap->mode, KeyTap::Mode::listen);
    handlerMs = 80;
    EXPECT_FALSE(tap->send(systemDefined(0x0A00)));
    EXPECT_FALSE(tap->send(systemDefined(0x0A00)));
    scheduler.runPending();
    EXPECT_EQ(statuses.back(), Status(EventTapService::Running{Mode::listen}));
    EXPECT_EQ(tap->createCount, 1);
}

TEST_F(EventTapServiceTest, TwoSlowHandlerCallsInARowFallBackToListening) {
    service->start(Mode::intercept);
    statuses.clear();

    // 60, 10, 60 ms: the fast call in between starts the count again.
    for (qint64 ms : {60, 10, 60}) {
        handlerMs = ms;
        EXPECT_TRUE(tap->send(systemDefined(0x0A00)));
    }
    scheduler.runPending();
    EXPECT_TRUE(statuses.empty());
    EXPECT_EQ(service->mode(), Mode::intercept);

    // Another 73.9 ms: second strike in a row; that key is still swallowed.
    service->setHandler([this](const MediaKeyEvent&) {
        uptime += 73'900'000;
        return true;
    });
    EXPECT_TRUE(tap->send(systemDefined(0x0A00)));
    EXPECT_TRUE(statuses.empty()) << "the fallback runs on the main queue";
    scheduler.runPending();
    const std::vector<Status> expected{
        EventTapService::Stopped{},
        EventTapService::Running{Mode::listen},
        EventTapService::DegradedToListen{QStringLiteral("handler took 73 ms twice")},
    };
    EXPECT_EQ(statuses, expected);
    EXPECT_EQ(service->mode(), Mode::listen);
    EXPECT_EQ(tap->mode, KeyTap::Mode::listen);
    EXPECT_TRUE(isRunning(service->status()));
    EXPECT_FALSE(tap->send(systemDefined(0x0A00)));
}

TEST_F(EventTapServiceTest, SeveralStrikesBeforeTheFallbackRunsFallBackOnce) {
    service->start(Mode::intercept);
    statuses.clear();
    handlerMs = 60;
    for (int i = 0; i < 4; ++i)
        tap->send(systemDefined(0x0A00));
    scheduler.runPending();
    EXPECT_EQ(statuses.size(), 3u);
    EXPECT_EQ(tap->createCount, 2);
}

TEST_F(EventTapServiceTest, AFallbackDueAfterStopDoesNotRestartTheTap) {
    service->start(Mode::intercept);
    handlerMs = 60;
    tap->send(systemDefined(0x0A00));
    tap->send(systemDefined(0x0A00));
    service->stop();
    scheduler.runPending();
    EXPECT_EQ(service->status(), Status(EventTapService::Stopped{}));
    EXPECT_FALSE(tap->created);
}

TEST_F(EventTapServiceTest, ARefusedKeyFallsBackToListeningWithItsReason) {
    service->start(Mode::intercept);
    statuses.clear();
    tap->refuse(QStringLiteral("another program holds XF86AudioRaiseVolume"));
    scheduler.runPending();
    ASSERT_FALSE(statuses.empty());
    EXPECT_EQ(statuses.back(), Status(EventTapService::DegradedToListen{
                                   QStringLiteral("another program holds XF86AudioRaiseVolume")}));
    EXPECT_EQ(describe(statuses.back()),
              QStringLiteral("degradedToListen(another program holds XF86AudioRaiseVolume)"));
}

// Start checks the permissions first; a tap that cannot be made needs its mode's.
TEST_F(EventTapServiceTest, StartChecksPermissionsFirst) {
    tap->interceptable = false;
    EXPECT_EQ(service->start(Mode::intercept), Status(EventTapService::NeedsAccessibility{}));
    EXPECT_EQ(tap->createCount, 0);
    EXPECT_EQ(service->start(Mode::listen), Status(EventTapService::Running{Mode::listen}));

    tap->listenable = false;
    EXPECT_EQ(service->inputMonitoring(), EventTapService::InputMonitoring::denied);
    EXPECT_EQ(service->start(Mode::listen), Status(EventTapService::NeedsInputMonitoring{}));
    EXPECT_EQ(service->start(Mode::intercept), Status(EventTapService::NeedsInputMonitoring{}));
    EXPECT_EQ(tap->createCount, 1);

    tap->listenable = tap->interceptable = true;
    tap->createSucceeds = false;
    EXPECT_EQ(service->start(Mode::intercept), Status(EventTapService::NeedsAccessibility{}));
    EXPECT_EQ(service->start(Mode::listen), Status(EventTapService::NeedsInputMonitoring{}));
}

TEST_F(EventTapServiceTest, StopAnnouncesStoppedOnce) {
    service->start(Mode::listen);
    statuses.clear();
    service->stop();
    service->stop();
    EXPECT_EQ(statuses, std::vector<Status>{EventTapService::Stopped{}});

    // A restart passes through stopped.
    service->start(Mode::listen);
    statuses.clear();
    service->start(Mode::intercept);
    EXPECT_EQ(statuses,
              (std::vector<Status>{EventTapService::Stopped{}, EventTapService::Running{Mode::intercept}}));
}

TEST_F(EventTapServiceTest, OnlyTheSixConsumableKeysAreEverIntercepted) {
    service->setConsumableKeys({allMediaKeys.begin(), allMediaKeys.end()});
    EXPECT_EQ(tap->intercepted, (QSet<int>{0, 1, 2, 3, 21, 22}));
    service->setConsumableKeys({MediaKey::mute, MediaKey::play, MediaKey::soundUp});
    EXPECT_EQ(tap->intercepted, QSet<int>{0});
    for (MediaKey key : allMediaKeys)
        EXPECT_EQ(EventTapService::isInterceptable(key), !isTransport(key) && key != MediaKey::mute)
            << toRaw(key);
}

TEST_F(EventTapServiceTest, ADisabledTapIsEnabledAgain) {
    service->start(Mode::intercept);
    tap->send(TapEvent::disabled());
    EXPECT_EQ(tap->enableCount, 1);
    EXPECT_TRUE(handled.empty());

    // The health check finds it disabled within five seconds.
    tap->enabled = false;
    scheduler.advance(4.9);
    EXPECT_EQ(tap->enableCount, 1);
    scheduler.advance(0.1);
    EXPECT_EQ(tap->enableCount, 2);
    scheduler.advance(5);
    EXPECT_EQ(tap->enableCount, 2);

    service->stop();
    tap->enabled = false;
    scheduler.advance(20);
    EXPECT_EQ(tap->enableCount, 2);
}

TEST(EventTapServiceNoDisplayTest, WithoutAnX11DisplayTheTapNeedsPermissions) {
    // The test runs on the offscreen platform: no X11 connection.
    EventTapService service;
    EXPECT_EQ(service.inputMonitoring(), EventTapService::InputMonitoring::denied);
    EXPECT_FALSE(service.hasAccessibility());
    EXPECT_EQ(service.start(EventTapService::Mode::listen),
              EventTapService::Status(EventTapService::NeedsInputMonitoring{}));
    EXPECT_EQ(service.start(EventTapService::Mode::intercept),
              EventTapService::Status(EventTapService::NeedsInputMonitoring{}));
    EXPECT_FALSE(isRunning(service.status()));
}
