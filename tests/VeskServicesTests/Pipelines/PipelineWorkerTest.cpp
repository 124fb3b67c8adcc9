#include "PipelineTestSupport.h"

#include "VeskPlatform/Archive/ZipArchive.h"
#include "VeskServices/Pipelines/FilePipelines.h"
#include "VeskServices/Pipelines/ImagePipelines.h"
#include "VeskServices/Pipelines/PipelineRunner.h"

#include "support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

namespace {

bool alive(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno != ESRCH);
}

// Runs pipelines through a runner whose worker has the given limits.
class PipelineWorkerTest : public PipelineTest {
protected:
    void makeRunner(PipelineWorker::Options options = {}) {
        runner = std::make_unique<PipelineRunner>(
            PipelineRegistry(), PipelineRunner::Options{.workScheduler = nullptr, .worker = options});
        QObject::connect(runner.get(), &PipelineRunner::stateChanged,
                         [this] { states.append(runner->state()); });
    }
    void start(const PipelinePtr& pipeline, const QStringList& paths) {
        runner->run(pipeline, fileUrls(paths), outputFolder(),
                    [this](const QList<QUrl>& produced) { finished.append(produced); });
    }
    bool runningOn(const QString& detail) {
        return processEventsUntil([&] {
            const auto* running = std::get_if<PipelineRunState::Running>(&runner->state().value);
            return running && running->detail == detail;
        });
    }
    std::optional<QString> failure() {
        processEventsUntil([&] { return !runner->state().isRunning(); });
        const auto* failed = std::get_if<PipelineRunState::Failed>(&runner->state().value);
        return failed ? std::optional(failed->message) : std::nullopt;
    }
    // A file whose reader waits until someone writes it: the worker hangs on it.
    void makeFifo(const QString& path) { ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0); }

    std::unique_ptr<PipelineRunner> runner;
    QList<PipelineRunState> states;
    QList<QList<QUrl>> finished;
};

} // namespace

TEST_F(PipelineWorkerTest, AKilledWorkerFailsOnlyItsRunLeavingNothingAndTheNextRunGetsAFreshOne) {
    writePhoto(input("a.jpg"), QSize(32, 32));
    makeFifo(input("b.jpg"));
    makeRunner();
    start(std::make_shared<CompressImagePipeline>(), {input("a.jpg"), input("b.jpg")});
    ASSERT_TRUE(runningOn(QStringLiteral("b.jpg")));
    const qint64 pid = runner->worker().processId();
    ASSERT_GT(pid, 0);
    ASSERT_EQ(::kill(pid_t(pid), SIGKILL), 0);
    EXPECT_EQ(failure(), QStringLiteral("Couldn't read b.jpg"));
    EXPECT_TRUE(outputEntries().isEmpty())
        << "a's output and b's temporary are gone: " << qPrintable(outputEntries().join(u' '));
    EXPECT_TRUE(finished.isEmpty());
    EXPECT_FALSE(runner->undoable());

    start(std::make_shared<CompressImagePipeline>(), {input("a.jpg")});
    ASSERT_TRUE(processEventsUntil([&] { return !finished.isEmpty(); }));
    EXPECT_EQ(outputEntries(), QStringList{QStringLiteral("a-compressed.jpg")});
    EXPECT_NE(runner->worker().processId(), pid);
}

TEST_F(PipelineWorkerTest, AWorkerThatStopsAnsweringIsEndedAndItsRunFails) {
    makeFifo(input("stuck.png"));
    makeRunner({.program = {}, .hangSeconds = 0.3, .idleSeconds = 30, .cancelSeconds = 1});
    start(std::make_shared<ConvertFormatPipeline>(), {input("stuck.png")});
    // The limit counts from the request, so on a busy machine the worker may be ended
    // while it still starts, before it reports the file: the run fails the same way.
    const qint64 pid = runner->worker().processId();
    ASSERT_GT(pid, 0);
    EXPECT_EQ(failure(), QStringLiteral("Couldn't read stuck.png"));
    EXPECT_TRUE(outputEntries().isEmpty());
    EXPECT_TRUE(processEventsUntil([&] { return !alive(pid); }));
}

// Going away (the program quitting) cancels the runs: one that stops at its next check,
// and one stuck in a read, whose worker is killed.
TEST_F(PipelineWorkerTest, EndingTheRunnerDuringAnUnzipEndsTheWorkerAndLeavesNothing) {
    const QString tree = input("tree");
    for (int i = 0; i < 16; ++i)
        writeFile(tree + QStringLiteral("/part%1.bin").arg(i), QByteArray(8 << 20, '\0'));
    ASSERT_FALSE(zip_archive::write({tree}, input("big.zip"), nullptr));
    makeFifo(input("stuck.zip"));

    for (const char* name : {"big.zip", "stuck.zip"}) {
        SCOPED_TRACE(name);
        makeRunner();
        start(std::make_shared<UnzipPipeline>(), {input(QLatin1String(name))});
        ASSERT_TRUE(runningOn(QLatin1String(name)));
        const qint64 pid = runner->worker().processId();
        runner.reset();
        EXPECT_FALSE(alive(pid));
        EXPECT_TRUE(outputEntries().isEmpty()) << qPrintable(outputEntries().join(u' '));
        EXPECT_TRUE(finished.isEmpty());
    }
}

TEST_F(PipelineWorkerTest, AnIdleWorkerEndsByItselfAndTheNextDropStartsAnother) {
    writeFile(input("a.txt"), {});
    makeRunner({.program = {}, .hangSeconds = 30, .idleSeconds = 0.2, .cancelSeconds = 1});
    start(std::make_shared<ZipPipeline>(), {input("a.txt")});
    ASSERT_TRUE(processEventsUntil([&] { return finished.size() == 1; }));
    const qint64 pid = runner->worker().processId();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(processEventsUntil([&] { return runner->worker().processId() == 0 && !alive(pid); }));

    start(std::make_shared<ZipPipeline>(), {input("a.txt")});
    ASSERT_TRUE(processEventsUntil([&] { return finished.size() == 2; }));
    EXPECT_EQ(outputEntries(), (QStringList{QStringLiteral("a-1.zip"), QStringLiteral("a.zip")}));
}

TEST_F(PipelineWorkerTest, AWorkerThatCannotStartFailsTheRunAndThePreview) {
    writeFile(input("a.txt"), {});
    makeRunner(
        {.program = input("no-such-worker"), .hangSeconds = 30, .idleSeconds = 30, .cancelSeconds = 1});
    start(std::make_shared<ZipPipeline>(), {input("a.txt")});
    EXPECT_EQ(failure(), QStringLiteral("Couldn't read a.txt"));
    bool answered = false;
    runner->worker().preview(input("a.txt"), QSize(10, 10),
                             [&](const auto& rendered) { answered = !rendered; });
    EXPECT_TRUE(processEventsUntil([&] { return answered; }));
}

TEST_F(PipelineWorkerTest, TheWorkerRunsNicedLimitedAndWithOnlyItsPipes) {
    // A descriptor of ours that a careless start would hand on.
    const int leaked = ::open(QFile::encodeName(input(".")).constData(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(leaked, 0);
    makeFifo(input("wait.jpg"));
    makeRunner();
    start(std::make_shared<StripEXIFPipeline>(), {input("wait.jpg")});
    ASSERT_TRUE(runningOn(QStringLiteral("wait.jpg")));
    const qint64 pid = runner->worker().processId();

    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    ASSERT_TRUE(stat.open(QIODevice::ReadOnly));
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    EXPECT_GE(fields.value(16).toInt(), PipelineWorker::niceness) << "the nice value";
    QFile limits(QStringLiteral("/proc/%1/limits").arg(pid));
    ASSERT_TRUE(limits.open(QIODevice::ReadOnly));
    // "Max address space  <soft> <hard> bytes": no more than 4 GiB, never unlimited.
    const QByteArray text = limits.readAll();
    const QList<QByteArray> space = text.mid(text.indexOf("Max address space") + 17).simplified().split(' ');
    bool limited = false;
    if (PipelineWorker::limitsAddressSpace) {
        EXPECT_LE(space.value(0).toULongLong(&limited), PipelineWorker::addressSpaceLimit);
        EXPECT_TRUE(limited) << space.value(0).constData();
    }
    const QString ours = QFileInfo(input(".")).canonicalFilePath();
    for (const QFileInfo& fd : QDir(QStringLiteral("/proc/%1/fd").arg(pid)).entryInfoList(QDir::System))
        EXPECT_NE(fd.symLinkTarget(), ours) << "descriptor " << qPrintable(fd.fileName());
    ::close(leaked);
    runner.reset();
}

TEST_F(PipelineWorkerTest, PreviewsArePicturesWithinTheirBoundOrNothing) {
    writePhoto(input("photo.jpg"), QSize(400, 200));
    writeFile(input("bad.jpg"), "not a picture");
    makeFifo(input("stuck.png"));
    PipelineWorker worker;
    const auto render = [&](const QString& path) {
        std::optional<std::optional<pipeline_protocol::Rendered>> answer;
        worker.preview(path, QSize(100, 100), [&](const auto& rendered) { answer = rendered; });
        EXPECT_TRUE(processEventsUntil([&] { return answer.has_value(); }));
        return answer.value_or(std::nullopt);
    };
    const auto photo = render(input("photo.jpg"));
    ASSERT_TRUE(photo);
    EXPECT_EQ(photo->picture.size(), QSize(100, 50));
    EXPECT_EQ(photo->picture.pixelColor(10, 10).red(), 254) << "the red quarter, top left";
    EXPECT_FALSE(render(input("bad.jpg")));

    // A worker that dies while rendering answers nothing, and a forgotten answer is not given.
    bool told = false;
    const quint64 forgotten =
        worker.preview(input("stuck.png"), QSize(100, 100), [&](const auto&) { told = true; });
    worker.forget(forgotten);
    std::optional<std::optional<pipeline_protocol::Rendered>> stuck;
    worker.preview(input("stuck.png"), QSize(100, 100), [&](const auto& rendered) { stuck = rendered; });
    ASSERT_TRUE(processEventsUntil([&] { return worker.processId() > 0; }));
    ::kill(pid_t(worker.processId()), SIGKILL);
    ASSERT_TRUE(processEventsUntil([&] { return stuck.has_value(); }));
    EXPECT_FALSE(*stuck);
    EXPECT_FALSE(told);
}

TEST(PipelineProtocol, PicturesMustMatchTheirSizeAndBoundAndOverlongLinesAreDropped) {
    using namespace pipeline_protocol;
    QImage picture(4, 2, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::green);
    const QJsonObject message = toJson(7, Rendered{Rendered::Kind::pdf, picture});
    const auto back = renderedFromJson(message, QSize(4, 4));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->kind, Rendered::Kind::pdf);
    EXPECT_EQ(back->picture, picture);
    EXPECT_FALSE(renderedFromJson(message, QSize(3, 4))) << "wider than asked";
    QJsonObject short_ = message;
    short_.insert(QStringLiteral("height"), 3);
    EXPECT_FALSE(renderedFromJson(short_, QSize(4, 4))) << "fewer pixels than the size says";

    LineReader reader(32);
    EXPECT_TRUE(reader.read(QByteArray("{\"type\":\"") + QByteArray(40, 'x')).isEmpty());
    const QList<QJsonObject> next = reader.read("\"}\n{\"type\":\"idle\"}\nnot json\n[1]\n");
    ASSERT_EQ(next.size(), 1) << "the overlong line, the text and the array are dropped";
    EXPECT_EQ(next.first().value(QStringLiteral("type")).toString(), QStringLiteral("idle"));
}
