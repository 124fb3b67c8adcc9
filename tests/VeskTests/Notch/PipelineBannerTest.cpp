#include "Vesk/Notch/PipelineBanner.h"

#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Shell/TrayAddActivity.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskServices/Pipelines/PipelineRunner.h"

#include "VeskUI/Tokens/Vesk.h"

#include "support/Notch/WidgetImage.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFontMetricsF>
#include <QVBoxLayout>

namespace vesk {
namespace {

PipelineResult result(int produced) {
    PipelineResult r{.pipeline = PipelineID::copyPaths,
                     .title = QStringLiteral("Copy Paths"),
                     .produced = {},
                     .inputCount = 2};
    for (int i = 0; i < produced; ++i)
        r.produced.append(QUrl::fromLocalFile(QStringLiteral("/tmp/out-%1.zip").arg(i)));
    return r;
}

// The banner in a column above the tray, as the tray tab lays it out.
struct Column {
    QWidget window;
    PipelineBanner* banner;
    QWidget* tray;
    int undos = 0;

    explicit Column(const PipelineRunState& state) {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        banner = new PipelineBanner(
            state, [this] { ++undos; }, &window);
        tray = new QWidget(&window);
        tray->setMinimumHeight(100);
        layout->addWidget(banner);
        layout->addWidget(tray);
        window.resize(420, 200);
        window.setAttribute(Qt::WA_DontShowOnScreen);
        window.show();
    }
};

TEST(PipelineBanner, IdleTakesNoSpace) {
    Column column(PipelineRunState::idle());
    EXPECT_FALSE(column.banner->isVisible());
    EXPECT_EQ(column.tray->y(), 0) << "the tray starts at the top";
    column.banner->setState(PipelineRunState::running(QStringLiteral("Zipping"), 0.5, {}));
    column.window.layout()->activate();
    EXPECT_TRUE(column.banner->isVisible());
    EXPECT_GT(column.tray->y(), 0);
}

TEST(PipelineBanner, RunningShowsTheBarTheTitleAndADetailOnlyWhenThereIsOne) {
    Column column(PipelineRunState::running(QStringLiteral("Compressing"), 0.5, QStringLiteral("a.jpg")));
    PipelineBanner& banner = *column.banner;
    EXPECT_EQ(banner.progressRect(), QRectF(10, (banner.height() - 4) / 2.0, 90, 4));
    EXPECT_EQ(banner.titleRect().left(), 10 + 90 + 8);
    EXPECT_FALSE(banner.detailRect().isEmpty());
    const QImage image = test::widgetImage(banner);
    const double middle = banner.height() / 2.0;
    EXPECT_TRUE(test::near(test::pixel(image, 40, middle), Vesk::Accent::x500)) << "done half";
    EXPECT_TRUE(test::near(test::pixel(image, 80, middle), Vesk::Ink::x700)) << "to do half";
    EXPECT_TRUE(test::near(test::pixel(image, 3, middle), Vesk::Ink::x850)) << "the strip's fill";

    banner.setState(PipelineRunState::running(QStringLiteral("Compressing"), 0.5, QString()));
    EXPECT_TRUE(banner.detailRect().isEmpty()) << "an empty detail shows the title alone";
}

TEST(PipelineBanner, UndoOnlyForAFinishedRunThatWroteFiles) {
    Column withFiles(PipelineRunState::finished(result(2)));
    ASSERT_TRUE(withFiles.banner->undoButton()->isVisible());
    EXPECT_EQ(withFiles.banner->undoButton()->text(), QStringLiteral("Undo"));
    EXPECT_EQ(withFiles.banner->undoButton()->geometry().right() + 1, 420 - 10) << "at the trailing edge";
    withFiles.banner->undoButton()->click();
    EXPECT_EQ(withFiles.undos, 1);

    Column withoutFiles(PipelineRunState::finished(result(0)));
    EXPECT_FALSE(withoutFiles.banner->undoButton()->isVisible());
    EXPECT_FALSE(withoutFiles.banner->symbolRect().isEmpty()) << "the check mark still shows";
}

TEST(PipelineBanner, ALongFailureWrapsToTwoLinesAndIsCut) {
    const QString message = QStringLiteral(
        "The archive could not be unpacked because one of its entries points outside the "
        "folder it would be written to, which is not allowed, and so nothing was written at all.");
    Column column(PipelineRunState::failed(message));
    const QStringList lines = column.banner->messageLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.last().endsWith(QChar(0x2026)));
    EXPECT_TRUE(message.startsWith(lines.first()));
    EXPECT_GE(column.banner->height(), int(2 * QFontMetricsF(column.banner->font()).lineSpacing()) - 4);

    Column shortOne(PipelineRunState::failed(QStringLiteral("No images.")));
    EXPECT_EQ(shortOne.banner->messageLines(), QStringList{QStringLiteral("No images.")});

    // The tray's failure keeps its reason, however long the file's name.
    Column tray(PipelineRunState::failed(trayFailureLine(trayRemoveFailedActivity(
        QString(246, QLatin1Char('n')) + ".txt", QStringLiteral("file name too long"), Date{0}))));
    EXPECT_TRUE(tray.banner->messageLines().join(' ').endsWith(".txt: File name too long"));
}

// Built from a view model, the banner follows whichever runner the model has.
TEST(PipelineBanner, FollowsTheRunnerOfItsModel) {
    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    NotchGeometry geometry;
    geometry.screenFrame = QRectF(0, 0, 1512, 982);
    NotchViewModel model(geometry, settings);
    PipelineBanner banner(model);
    EXPECT_TRUE(banner.state().isIdle()) << "no runner";
    PipelineRunner runner(PipelineRegistry(QList<PipelinePtr>{}));
    model.setPipelineRunner(&runner);
    runner.run(PipelineRegistry().all().first(), {}, QDir::tempPath(), {});
    EXPECT_EQ(banner.state(), PipelineRunState::running(QStringLiteral("Compress"), 0, {}));
    banner.resize(360, banner.heightForWidth(360));
    const QImage image = test::widgetImage(banner);
    EXPECT_TRUE(test::near(test::pixel(image, 3, banner.height() / 2.0), Vesk::Ink::x850))
        << "the strip shows";
    model.setPipelineRunner(nullptr);
    EXPECT_TRUE(banner.state().isIdle());
}

} // namespace
} // namespace vesk
