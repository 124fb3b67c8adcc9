#include "PipelineTestSupport.h"

#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/PipelineRunner.h"

#include "support/ManualScheduler.h"

#include <QFileInfo>

using namespace vesk;
using namespace vesk::test;

namespace {

// Writes one file per input, or fails, as told; keeps each run's reporter.
class FakePipeline final : public DropPipeline {
public:
    explicit FakePipeline(QString title) : m_title(std::move(title)) {}
    PipelineID id() const override { return PipelineID::zip; }
    QString title() const override { return m_title; }
    QString symbol() const override { return {}; }
    bool accepts(const QList<QUrl>&) const override { return true; }

    mutable QList<ProgressReporter> reporters;
    std::optional<PipelineError> failure;
    // Produced as given instead of written.
    QList<QUrl> claimed;

protected:
    QList<QUrl> perform(const QList<QUrl>& urls, const PipelineContext& context) const override {
        reporters.append(context.progress);
        if (failure) throw *failure;
        if (!claimed.isEmpty()) return claimed;
        QList<QUrl> produced;
        for (const QUrl& url : urls) {
            const QString path = context.outputFolder + QLatin1Char('/') + url.fileName();
            QFile(path).open(QIODevice::WriteOnly);
            produced.append(QUrl::fromLocalFile(path));
        }
        return produced;
    }

private:
    QString m_title;
};

class PipelineRunnerTest : public PipelineTest {
protected:
    void SetUp() override {
        PipelineTest::SetUp();
        QObject::connect(&runner, &PipelineRunner::stateChanged, [this] { states.append(runner.state()); });
    }

    void start(const PipelinePtr& pipeline, const QStringList& paths) {
        runner.run(pipeline, fileUrls(paths), outputFolder(),
                   [this](const QList<QUrl>& produced) { finished.append(produced); });
    }

    // Runs the queued work, then what it handed to the main thread.
    void settle() {
        work.runPending();
        scheduler.runPending();
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    ManualScheduler work;
    PipelineRunner runner{PipelineRegistry(QList<PipelinePtr>{}), {.workScheduler = &work, .worker = {}}};
    QList<PipelineRunState> states;
    QList<QList<QUrl>> finished;
};

} // namespace

TEST_F(PipelineRunnerTest, ACompressRunReportsFinishesAndClearsSixSecondsLater) {
    writePhoto(input("a.jpg"), QSize(32, 32));
    writePhoto(input("b.jpg"), QSize(32, 32));
    start(std::make_shared<CompressImagePipeline>(), {input("a.jpg"), input("b.jpg")});
    ASSERT_TRUE(test::processEventsUntil([&] { return !finished.isEmpty(); })) << "through the worker";
    ASSERT_EQ(states.size(), 5);
    EXPECT_EQ(states[0], PipelineRunState::running("Compress", 0, {}));
    EXPECT_EQ(states[1], PipelineRunState::running("Compress", 0, "a.jpg"));
    EXPECT_EQ(states[2], PipelineRunState::running("Compress", 0.5, "b.jpg"));
    EXPECT_EQ(states[3], PipelineRunState::running("Compress", 1, "Done"));
    ASSERT_TRUE(runner.undoable());
    EXPECT_EQ(states[4], PipelineRunState::finished(*runner.undoable()));
    EXPECT_EQ(runner.undoable()->summary(), QStringLiteral("2 files"));
    EXPECT_EQ(finished, QList<QList<QUrl>>{runner.undoable()->produced});

    scheduler.advance(5.9);
    EXPECT_FALSE(runner.state().isIdle());
    scheduler.advance(0.1);
    EXPECT_TRUE(runner.state().isIdle());
    EXPECT_FALSE(runner.undoable());
    EXPECT_TRUE(runner.undo().isEmpty()) << "nothing to undo after the clear";
    EXPECT_EQ(outputEntries().size(), 2);
}

TEST_F(PipelineRunnerTest, UndoDeletesTheResultOnShowOnce) {
    auto fake = std::make_shared<FakePipeline>("Zip");
    start(fake, {input("x.txt"), input("y.txt")});
    settle();
    const QList<QUrl> produced = runner.undoable()->produced;
    EXPECT_EQ(runner.undo(), produced);
    EXPECT_TRUE(runner.state().isIdle());
    settle();
    EXPECT_TRUE(outputEntries().isEmpty());
    EXPECT_TRUE(runner.undo().isEmpty());
}

TEST_F(PipelineRunnerTest, ANewRunCancelsThePendingClear) {
    auto fake = std::make_shared<FakePipeline>("Zip");
    start(fake, {input("a")});
    settle();
    scheduler.advance(3);
    start(fake, {input("b")});
    settle();
    scheduler.advance(3.5);
    EXPECT_TRUE(std::holds_alternative<PipelineRunState::Finished>(runner.state().value))
        << "the first run's clear does not clear the second";
    scheduler.advance(3);
    EXPECT_TRUE(runner.state().isIdle());
}

// A failed run after a finished one: the banner shows the failure, so undo must not
// delete the earlier files it no longer shows; nor files outside the output folder.
TEST_F(PipelineRunnerTest, UndoActsOnlyOnTheFinishedResultOnShowAndInsideTheFolder) {
    auto fake = std::make_shared<FakePipeline>("Zip");
    start(fake, {input("kept")});
    settle();
    auto failing = std::make_shared<FakePipeline>("Zip");
    failing->failure = PipelineError::noInput();
    start(failing, {});
    settle();
    EXPECT_EQ(runner.state(), PipelineRunState::failed("Nothing to work on"));
    EXPECT_EQ(finished.size(), 1) << "no completion for a failure";
    EXPECT_TRUE(runner.undo().isEmpty());
    settle();
    EXPECT_EQ(outputEntries(), QStringList{QStringLiteral("kept")});

    QFile outside(input("outside.txt"));
    ASSERT_TRUE(outside.open(QIODevice::WriteOnly));
    auto claiming = std::make_shared<FakePipeline>("Zip");
    claiming->claimed = {QUrl::fromLocalFile(input("outside.txt"))};
    start(claiming, {input("a")});
    settle();
    EXPECT_EQ(runner.undo().size(), 1);
    settle();
    EXPECT_TRUE(QFileInfo::exists(input("outside.txt")));
}

TEST_F(PipelineRunnerTest, LateReportsOfAnOlderRunOrAfterTheEndAreDropped) {
    auto first = std::make_shared<FakePipeline>("First");
    start(first, {input("a")});
    settle();
    first->reporters.first()(0.9, QStringLiteral("late"));
    settle();
    EXPECT_TRUE(std::holds_alternative<PipelineRunState::Finished>(runner.state().value));

    // The second run is still working when the first one's report arrives.
    start(std::make_shared<FakePipeline>("Second"), {input("b")});
    first->reporters.first()(0.9, QStringLiteral("older run"));
    scheduler.runPending();
    EXPECT_EQ(runner.state(), PipelineRunState::running("Second", 0, {}));
}

TEST_F(PipelineRunnerTest, AFailureAfterTheRunIsShownLikeAFailedRunsButNeverOverARunningOne) {
    auto fake = std::make_shared<FakePipeline>("Unzip");
    start(fake, {input("a")});
    settle();
    scheduler.advance(3);
    runner.showFailure("Couldn't add a.unzipped: Permission denied");
    EXPECT_EQ(runner.state(), PipelineRunState::failed("Couldn't add a.unzipped: Permission denied"));
    EXPECT_TRUE(runner.undo().isEmpty()) << "no finished run on show";
    scheduler.advance(5.9);
    EXPECT_FALSE(runner.state().isIdle()) << "the run's own clear was replaced";
    scheduler.advance(0.1);
    EXPECT_TRUE(runner.state().isIdle());

    start(fake, {input("b")});
    runner.showFailure("Couldn't add b.unzipped: Permission denied");
    EXPECT_TRUE(std::holds_alternative<PipelineRunState::Running>(runner.state().value));
    settle();
}
