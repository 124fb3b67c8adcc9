// The desk's media player and its launch prompt.
#include "Vesk/Desk/Widgets/MediaWidget.h"
#include "Vesk/Desk/Widgets/MediaLaunchPrompt.h"
#include "Vesk/Desk/Widgets/TimerWidget.h"
#include "VeskUI/Tokens/Vesk.h"

#include "support/EventLoop.h"
#include "support/ManualScheduler.h"
#include "support/Notch/WidgetImage.h"
#include "support/Workspace/FakeDesktopApplications.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>

#include <cmath>

using namespace vesk;
using namespace vesk::test;

namespace {

class MediaWidgetTest : public ::testing::Test {
protected:
    MediaWidgetTest() {
        environment.clock = &scheduler.clock();
        environment.scheduler = &scheduler;
        environment.applications = apps;
    }
    std::unique_ptr<MediaWidget> shown(const NowPlayingState& state) {
        auto widget =
            std::make_unique<MediaWidget>(environment, [this](const MediaCommand& c) { sent << c; });
        widget->setState(state);
        widget->resize(260, 150);
        widget->setAttribute(Qt::WA_DontShowOnScreen);
        widget->show();
        return widget;
    }
    NowPlayingState playing() const {
        NowPlayingState state;
        state.title = "Song";
        state.artist = "Band";
        state.isPlaying = true;
        state.duration = 200;
        state.elapsed = 50;
        state.elapsedAsOf = scheduler.now();
        state.playbackRate = 1;
        return state;
    }
    void install(const QStringList& ids) {
        for (const QString& id : ids)
            apps->byID.insert(id, desktopEntry(id, id, "/apps/" + id));
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    std::shared_ptr<FakeDesktopApplications> apps = std::make_shared<FakeDesktopApplications>();
    DeskEnvironment environment;
    QList<MediaCommand> sent;
};

} // namespace

TEST(MediaTimeTest, TimesAreClampedBeforeTheyBecomeIntegers) {
    const double nan = std::nan("");
    for (const auto& [seconds, text] :
         std::initializer_list<std::pair<double, const char*>>{{3725, "62:05"},
                                                               {59.9, "0:59"},
                                                               {nan, "0:00"},
                                                               {-1, "0:00"},
                                                               {INFINITY, "0:00"},
                                                               {1e300, "16666666:40"}})
        EXPECT_EQ(MediaWidget::time(seconds), text) << seconds;
    for (const auto& [seconds, text] :
         std::initializer_list<std::pair<double, const char*>>{{299.2, "5:00"},
                                                               {0.3, "0:01"},
                                                               {3600, "1:00:00"},
                                                               {3725, "1:02:05"},
                                                               {0, "0:00"},
                                                               {nan, "0:00"}})
        EXPECT_EQ(TimerWidget::formatted(seconds), text) << seconds;
}

TEST_F(MediaWidgetTest, TheScrubberSeeksWhereReleasedAndFollowsTheStateAgainLater) {
    auto widget = shown(playing());
    ASSERT_TRUE(widget->showsPlayer());
    QWidget* scrubber = widget->scrubber();
    const QRectF track = widget->trackRect();
    const auto at = [&](double fraction) {
        return QPoint(int(track.left() + fraction * track.width()), int(track.center().y()));
    };
    EXPECT_NEAR(widget->fraction(), 0.25, 0.01);
    QTest::mouseClick(scrubber, Qt::LeftButton, {}, at(0.5));
    ASSERT_EQ(sent.size(), 1) << "a click without movement seeks once";
    EXPECT_NEAR(std::get<MediaCommand::Seek>(sent.first().value).seconds, 100, 1);
    EXPECT_NEAR(widget->fraction(), 0.5, 0.01) << "the bar stays on the chosen point";
    scheduler.advance(MediaWidget::scrubHold);
    EXPECT_FALSE(widget->isScrubbing());
    EXPECT_NEAR(widget->fraction(), 0.25, 0.01) << "then follows the state again";

    QTest::mousePress(scrubber, Qt::LeftButton, {}, at(0.3));
    QTest::mouseMove(scrubber, at(-2));
    EXPECT_EQ(widget->position(), 0) << "dragging past the start clamps";
    QTest::mouseMove(scrubber, at(3));
    QTest::mouseRelease(scrubber, Qt::LeftButton, {}, at(3));
    EXPECT_EQ(std::get<MediaCommand::Seek>(sent.last().value).seconds, 200) << "past the end clamps";

    for (QAbstractButton* button : widget->transportButtons())
        button->click();
    EXPECT_EQ(sent.mid(2),
              (QList<MediaCommand>{MediaCommand::previous(), MediaCommand::toggle(), MediaCommand::next()}));
}

TEST_F(MediaWidgetTest, ThePlayerShowsTheTrackAndTheBar) {
    auto widget = shown(playing());
    QCoreApplication::sendPostedEvents();
    const QImage image = widgetImage(*widget);
    const QRectF track = widget->trackRect().translated(widget->scrubber()->mapTo(widget.get(), QPoint()));
    EXPECT_TRUE(
        near(pixel(image, track.left() + track.width() * 0.2, track.center().y()), Vesk::Stone::x200));
    EXPECT_TRUE(near(pixel(image, track.left() + track.width() * 0.4, track.center().y()), Vesk::Ink::x700))
        << "a quarter played";
    QAbstractButton* toggle = widget->transportButtons().at(1);
    const QRect middle = toggle->geometry().translated(toggle->parentWidget()->mapTo(widget.get(), QPoint()));
    EXPECT_TRUE(near(pixel(image, middle.center().x() - 4, middle.center().y()), Vesk::Stone::x100, 40))
        << "the pause symbol's left bar";
    EXPECT_LT(pixel(image, middle.center().x(), middle.center().y()).alpha(), 100)
        << "and the gap between the bars";

    NowPlayingState untitled;
    untitled.artist = "Band";
    widget->setState(untitled);
    EXPECT_FALSE(widget->showsPlayer()) << "no title: the prompt, even with an artist";
}

TEST_F(MediaWidgetTest, ThePromptOffersTheFirstThreeInstalledPlayers) {
    QStringList all;
    for (const QStringList& slot : MediaLaunchPrompt::candidates())
        all << slot.last();
    install(all);
    auto widget = shown({});
    MediaLaunchPrompt* prompt = widget->prompt();
    ASSERT_TRUE(processEventsUntil([&] { return !prompt->tiles().isEmpty(); })) << "the lookup never ended";
    EXPECT_EQ(prompt->tileIDs(), all.mid(0, 3));
    EXPECT_EQ(apps->iconImages, 3);
    EXPECT_EQ(apps->iconImagesOnMain, 0) << "icons are read with the lookup, off the main thread";
    QAbstractButton* first = prompt->tiles().first();
    const QImage tiles = widgetImage(*first);
    EXPECT_EQ(tiles.pixelColor(first->width() / 2, first->height() / 2), QColor(Qt::red)) << "the icon";
    QTest::mouseClick(first, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_TRUE(apps->launched.isEmpty()) << "only the 34-point square takes the pointer";

    apps->byID.remove(all.first());
    prompt->tiles().first()->click();
    prompt->tiles().at(1)->click();
    EXPECT_EQ(apps->launched, QStringList{"/apps/" + all.at(1)}) << "a vanished entry launches nothing";

    apps->byID.clear();
    widget->hide();
    widget->show();
    ASSERT_TRUE(processEventsUntil([&] { return prompt->tiles().isEmpty(); }));
    const QImage image = widgetImage(*widget);
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        lit += image.pixelColor(image.width() / 2, y).alpha() > 0;
    EXPECT_GT(lit, 0) << "the two lines still show";
    EXPECT_LT(prompt->sizeHint().height(), 40) << "with no tiles, no empty row";
}
