#include "Vesk/Bridge/FocusFilterBridge.h"
#include "Vesk/Bridge/VeskFocusFilter.h"

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskServices/Focus/FocusService.h"

#include "support/Session/FakeSessionLayers.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

struct FocusFilterTest : ::testing::Test {
    FocusFilterTest() {
        auto fake = std::make_unique<test::FakeDoNotDisturb>();
        layer = fake.get();
        service =
            std::make_unique<FocusService>(std::move(fake), FocusDatabase(QStringLiteral("/nonexistent")));
        service->start();
        layer->answerStart(true);
    }

    std::optional<QString> stored(const QString& key) const { return defaults->string(key); }

    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    FocusFilterBridge bridge{defaults.get()};
    test::FakeDoNotDisturb* layer = nullptr;
    std::unique_ptr<FocusService> service;
};

} // namespace

TEST_F(FocusFilterTest, DescribesItselfByNameAndWhetherItShows) {
    EXPECT_EQ(VeskFocusFilter().displayRepresentation(),
              (VeskFocusFilter::DisplayRepresentation{u"Focus"_qs, u"Shown in the notch"_qs}));
    EXPECT_EQ((VeskFocusFilter{false, u"Work"_qs, std::nullopt}.displayRepresentation()),
              (VeskFocusFilter::DisplayRepresentation{u"Work"_qs, u"Hidden"_qs}));
}

TEST_F(FocusFilterTest, ANameWithoutSymbolKeepsTheServiceSymbol) {
    bridge.restore(*service);
    service->applyFilterIdentity(std::nullopt, QStringLiteral("book.fill"));
    defaults->setString(FocusFilterBridge::modeSymbolKey, QStringLiteral("old.symbol"));

    VeskFocusFilter{true, QStringLiteral("Reading"), std::nullopt}.perform(bridge);

    EXPECT_EQ(stored(FocusFilterBridge::modeNameKey), QStringLiteral("Reading"));
    EXPECT_FALSE(defaults->object(FocusFilterBridge::modeSymbolKey));
    EXPECT_EQ(service->state().modeName, QStringLiteral("Reading"));
    EXPECT_EQ(service->state().symbol, QStringLiteral("book.fill"));
    EXPECT_TRUE(service->state().isActive);
}

TEST_F(FocusFilterTest, AHiddenFilterWithholdsTheIdentity) {
    bridge.restore(*service);
    VeskFocusFilter{true, QStringLiteral("Work"), QStringLiteral("briefcase.fill")}.perform(bridge);
    ASSERT_EQ(service->state().modeName, QStringLiteral("Work"));

    VeskFocusFilter{false, QStringLiteral("Work"), QStringLiteral("briefcase.fill")}.perform(bridge);
    EXPECT_FALSE(defaults->object(FocusFilterBridge::modeNameKey));
    EXPECT_FALSE(defaults->object(FocusFilterBridge::modeSymbolKey));
    EXPECT_EQ(service->state().modeName, std::nullopt);
    EXPECT_EQ(service->state().displayName(), QStringLiteral("Focus"));
    EXPECT_EQ(service->state().symbol, QStringLiteral("briefcase.fill"))
        << "an absent symbol keeps the old one";
}

TEST_F(FocusFilterTest, RestoreHandsOverOnlyWhatWasStored) {
    // Nothing stored: the service is not called, so its name survives.
    service->applyFilterIdentity(QStringLiteral("Preset"), std::nullopt);
    bridge.restore(*service);
    EXPECT_EQ(service->state().modeName, QStringLiteral("Preset"));
    EXPECT_EQ(bridge.service(), service.get());

    // Only a symbol stored: an absent name and that symbol.
    defaults->setString(FocusFilterBridge::modeSymbolKey, QStringLiteral("moon.stars.fill"));
    bridge.restore(*service);
    EXPECT_EQ(service->state().modeName, std::nullopt);
    EXPECT_EQ(service->state().symbol, QStringLiteral("moon.stars.fill"));
}

TEST_F(FocusFilterTest, AFilterRunBeforeLaunchWaitsForRestore) {
    VeskFocusFilter{true, QStringLiteral("Gym"), QStringLiteral("figure.run")}.perform(bridge);
    EXPECT_EQ(service->state().modeName, std::nullopt) << "no service registered yet";
    EXPECT_EQ(stored(FocusFilterBridge::modeNameKey), QStringLiteral("Gym"));
    EXPECT_EQ(stored(FocusFilterBridge::modeSymbolKey), QStringLiteral("figure.run"));

    bridge.restore(*service);
    EXPECT_EQ(service->state().modeName, QStringLiteral("Gym"));
    EXPECT_EQ(service->state().symbol, QStringLiteral("figure.run"));

    // A released service is forgotten; the values are still stored.
    service.reset();
    EXPECT_EQ(bridge.service(), nullptr);
    VeskFocusFilter{true, QStringLiteral("Late"), std::nullopt}.perform(bridge);
    EXPECT_EQ(stored(FocusFilterBridge::modeNameKey), QStringLiteral("Late"));

    // Run without a bridge, the filter writes to the standard defaults.
    VeskFocusFilter{true, QStringLiteral("Shared"), std::nullopt}.perform();
    EXPECT_EQ(UserDefaults::standard().string(FocusFilterBridge::modeNameKey), QStringLiteral("Shared"));
}
