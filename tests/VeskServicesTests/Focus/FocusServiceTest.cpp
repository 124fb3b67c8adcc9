#include "VeskServices/Focus/FocusService.h"

#include "support/ManualScheduler.h"
#include "support/Session/FakeSessionLayers.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace vesk;
using namespace vesk::test;

namespace {

FocusModeState state(bool active, std::optional<QString> name = std::nullopt,
                     QString symbol = QStringLiteral("moon.fill")) {
    return {active, std::move(name), std::move(symbol)};
}

// A Focus service over a fake switch, with every published state collected.
struct Harness {
    explicit Harness(const QString& databaseFolder = QStringLiteral("/nonexistent/DB")) {
        auto fake = std::make_unique<FakeDoNotDisturb>();
        layer = fake.get();
        service = std::make_unique<FocusService>(std::move(fake), FocusDatabase(databaseFolder));
        consumer = service->states().consume(
            nullptr, [this](FocusModeState s) { published << s; }, scheduler);
    }
    ~Harness() { consumer.cancel(); }

    QList<FocusModeState> drain() {
        scheduler.runPending();
        return std::exchange(published, {});
    }

    ManualScheduler scheduler;
    FakeDoNotDisturb* layer = nullptr;
    std::unique_ptr<FocusService> service;
    QList<FocusModeState> published;
    TaskHandle consumer;
};

} // namespace

// The starting state is the switch as read, not a flip of the initial state, and
// each change after it publishes exactly one state.
TEST(FocusServiceTest, StartPublishesTheSwitchAsReadThenOneStatePerChange) {
    for (bool startsOn : {false, true}) {
        SCOPED_TRACE(startsOn ? "switch on at start" : "switch off at start");
        Harness h;
        h.service->start();
        EXPECT_EQ(h.layer->starts, 1);
        EXPECT_TRUE(h.drain().isEmpty()) << "nothing before the switch is read";

        h.layer->answerStart(startsOn);
        EXPECT_EQ(h.drain(), QList<FocusModeState>{state(startsOn)});

        h.layer->flip(!startsOn);
        EXPECT_EQ(h.drain(), QList<FocusModeState>{state(!startsOn)});
        // A layer repeating the current value is no change.
        Q_EMIT h.layer->activeChanged(!startsOn);
        EXPECT_TRUE(h.drain().isEmpty());
        h.layer->flip(startsOn);
        EXPECT_EQ(h.drain(), QList<FocusModeState>{state(startsOn)});
        EXPECT_EQ(h.service->state(), state(startsOn));
    }
}

TEST(FocusServiceTest, StoppedServiceHearsNothingButItsStreamStaysOpen) {
    Harness h;
    h.service->start();
    h.service->start(); // a second start replaces the first subscription
    h.layer->answerStart(false);
    EXPECT_EQ(h.drain().size(), 1);

    h.service->stop();
    EXPECT_FALSE(h.layer->following);
    h.layer->flip(true);
    EXPECT_TRUE(h.drain().isEmpty());
    h.service->applyFilterIdentity(QStringLiteral("Work"), std::nullopt);
    EXPECT_EQ(h.drain(), QList<FocusModeState>{state(false, QStringLiteral("Work"))});
}

TEST(FocusServiceTest, FilterIdentityReplacesTheNameKeepsAnAbsentSymbolAndAlwaysPublishes) {
    Harness h;
    h.service->start();
    h.layer->answerStart(true);
    h.drain();

    h.service->applyFilterIdentity(QStringLiteral("Reading"), QStringLiteral("book.fill"));
    EXPECT_EQ(h.drain(),
              QList<FocusModeState>{state(true, QStringLiteral("Reading"), QStringLiteral("book.fill"))});
    h.service->applyFilterIdentity(QStringLiteral("Work"), std::nullopt);
    EXPECT_EQ(h.drain(),
              QList<FocusModeState>{state(true, QStringLiteral("Work"), QStringLiteral("book.fill"))});
    EXPECT_EQ(h.service->state().displayName(), QStringLiteral("Work"));
    h.service->applyFilterIdentity(QStringLiteral("Work"), std::nullopt);
    EXPECT_EQ(h.drain().size(), 1) << "published even when nothing changed";
    h.service->applyFilterIdentity(std::nullopt, std::nullopt);
    EXPECT_EQ(h.drain(), QList<FocusModeState>{state(true, std::nullopt, QStringLiteral("book.fill"))});
    EXPECT_EQ(h.service->state().displayName(), QStringLiteral("Focus")) << "without a name";

    // The identity survives the switch turning off.
    h.service->applyFilterIdentity(QStringLiteral("Work"), std::nullopt);
    h.drain();
    h.layer->flip(false);
    EXPECT_EQ(h.drain(),
              QList<FocusModeState>{state(false, QStringLiteral("Work"), QStringLiteral("book.fill"))});
}

TEST(FocusServiceTest, ARichDatabaseNamesTheModeAndAnEndedModeKeepsItsIdentity) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    };
    write(
        QStringLiteral("Assertions.json"),
        R"({"data":[{"storeAssertionRecords":[{"assertionDetails":{"assertionDetailsModeIdentifier":"w"}}]}]})");
    write(
        QStringLiteral("ModeConfigurations.json"),
        R"({"data":[{"modeConfigurations":{"w":{"mode":{"name":"Work","symbolImageName":"briefcase.fill"}}}}]})");

    Harness h(folder.path());
    EXPECT_FALSE(h.service->hasRichIdentity()) << "probed by start()";
    h.service->start();
    EXPECT_TRUE(h.service->hasRichIdentity());
    h.layer->answerStart(false);
    const FocusModeState work = state(true, QStringLiteral("Work"), QStringLiteral("briefcase.fill"));
    EXPECT_EQ(h.drain(), QList<FocusModeState>{work});

    write(QStringLiteral("Assertions.json"), R"({"data":[{"storeAssertionRecords":[]}]})");
    h.layer->flip(true);
    EXPECT_TRUE(h.drain().isEmpty()) << "still on, same mode";
    h.layer->flip(false);
    EXPECT_EQ(h.drain(),
              QList<FocusModeState>{state(false, QStringLiteral("Work"), QStringLiteral("briefcase.fill"))});
}

// The identity restored at launch is part of the starting state, not a state before it.
TEST(FocusServiceTest, IdentityAppliedBeforeTheStartingStateRidesOnIt) {
    Harness h;
    h.service->applyFilterIdentity(QStringLiteral("Work"), QStringLiteral("briefcase.fill"));
    EXPECT_TRUE(h.drain().isEmpty());
    h.service->start();
    h.service->applyFilterIdentity(QStringLiteral("Deep Work"), std::nullopt);
    EXPECT_TRUE(h.drain().isEmpty()) << "the switch has not answered yet";
    h.layer->answerStart(true);
    EXPECT_EQ(h.drain(), QList<FocusModeState>{
                             state(true, QStringLiteral("Deep Work"), QStringLiteral("briefcase.fill"))});
}
