// The open desk as the window controller builds it: its desk factory, its shared
// services and pipeline runner, the real wiring and real widgets. Every widget id is
// placed once across rows that fit the desk, and each widget reaches its service.
#include "Vesk/Desk/DeskTrayTab.h"
#include "Vesk/Desk/DeskView.h"
#include "Vesk/Desk/DeskWidgetRow.h"
#include "Vesk/Desk/Widgets/AudioDeviceWidget.h"
#include "Vesk/Desk/Widgets/CalendarWidget.h"
#include "Vesk/Desk/Widgets/ClipboardWidget.h"
#include "Vesk/Desk/Widgets/MediaWidget.h"
#include "Vesk/Desk/Widgets/MirrorWidget.h"
#include "Vesk/Desk/Widgets/NotesWidget.h"
#include "Vesk/Desk/Widgets/QuickAppsWidget.h"
#include "Vesk/Desk/Widgets/ShortcutsWidget.h"
#include "Vesk/Desk/Widgets/TimerWidget.h"
#include "Vesk/Desk/Widgets/TodoWidget.h"
#include "Vesk/Desk/Widgets/WeatherWidget.h"
#include "Vesk/Desk/Widgets/WidgetEmptyState.h"
#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchRootView.h"
#include "Vesk/Notch/PipelineBanner.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskPlatform/Camera/CameraAccess.h"
#include "VeskPlatform/Camera/CameraCapture.h"
#include "VeskServices/Audio/AudioService.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"

#include "support/Audio/FakeAudioHardware.h"
#include "support/Calendar/CalendarFixtures.h"
#include "support/EventLoop.h"
#include "support/Notch/TwoDisplayController.h"
#include "support/Pasteboard/FakeClipboard.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

using namespace vesk;
using namespace vesk::test;

namespace {

std::atomic<int> camerasRunning{0};

class InstantCapture final : public CameraCapture {
public:
    ~InstantCapture() override { stop(); }
    void start(int, std::function<void(bool)> started, std::function<void(const QImage&)>) override {
        m_running = true;
        ++camerasRunning;
        started(true);
    }
    void stop() override {
        if (std::exchange(m_running, false)) --camerasRunning;
    }
    bool isRunning() const override { return m_running; }

private:
    bool m_running = false;
};

class GrantedAccess final : public CameraAccess {
public:
    Authorization authorization() const override { return Authorization::authorized; }
    void requestAccess(std::function<void(bool)> done) override { done(true); }
};

AudioHardwareDevice outputDevice(quint32 id, const char* name) {
    return {.id = id,
            .key = QString::fromLatin1(name),
            .name = QString::fromLatin1(name),
            .transport = AudioTransport::builtIn,
            .volume = 0.5,
            .isMuted = false};
}

// An executable that leaves `marker` behind when run.
void writeScript(const QString& path, const QString& marker) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\ntouch '" + marker.toUtf8() + "'\n");
    file.close();
    QFile::setPermissions(path, QFile::permissions(path) | QFile::ExeOwner);
}

class DeskWiringTest : public TwoDisplayControllerTest {
protected:
    DeskWiringTest() {
        environment.pasteboard = &clipboard;
        environment.clipboardOptions.reader = &clipboard;
        environment.clipboardOptions.queueScheduler = &scheduler;
        environment.clipboardOptions.clock = &scheduler.clock();
        environment.clipboardOptions.frontmostApplication = [] { return std::optional<QString>(); };
        environment.pipelineOptions.workScheduler = &scheduler;
        environment.modelEnvironment.clock = &scheduler.clock();
        environment.modelEnvironment.outputDevices = [this] { return AudioService::outputDevices(audio); };
        environment.modelEnvironment.showInCalendar = [this](const CalendarItem& item) {
            shownInCalendar << item;
        };
        audio.setReady({outputDevice(1, "Speakers"), outputDevice(2, "Headphones")});
        AudioHardware::setShared(&audio);
    }
    ~DeskWiringTest() override { AudioHardware::setShared(nullptr); }

    void SetUp() override {
        TwoDisplayControllerTest::SetUp();
        ASSERT_TRUE(QDir(files::applicationSupportFolder()).removeRecursively());
        ASSERT_TRUE(folder.isValid());
        container = ModelContainer::open(folder.path() + QStringLiteral("/Vesk.store"));
        ASSERT_TRUE(container);
        repository = std::make_unique<DeskRepository>(std::make_shared<ModelContext>(container),
                                                      QStringLiteral("test"));
    }

    // Runs the main thread's work (virtual time) and its events until `done` holds.
    bool settle(const std::function<bool()>& done) {
        return processEventsUntil([&] {
            scheduler.runPending();
            return done();
        });
    }

    // Opens the first display's desk on `tab` with exactly `widgets` placed.
    DeskView* openDesk(NotchWindowController& controller, const WidgetSet& widgets,
                       DeskTab tab = DeskTab::desk) {
        const NotchDisplay display = controller.displays().first();
        display.model->send(NotchEvent::forceClose());
        settings.setEnabledWidgets(widgets);
        controller.relayoutWidgets();
        const DeskLayout& layout = display.model->layout();
        EXPECT_TRUE(layout.overflow.isEmpty());
        EXPECT_EQ(layout.placements.size(), widgets.size());
        EXPECT_LE(layout.totalWidth, 1100);
        display.model->send(NotchEvent::click());
        if (tab == DeskTab::tray) display.model->send(NotchEvent::selectTab(DeskTab::tray));
        EXPECT_EQ(display.model->state(), NotchState::open(tab));
        auto* root = qobject_cast<NotchRootView*>(controller.panel(display.id)->hostingView()->rootView());
        return root ? qobject_cast<DeskView*>(root->content()) : nullptr;
    }

    template <typename Widget> static Widget* cell(DeskView* desk, WidgetID id) {
        DeskWidget* widget = desk && desk->row() ? desk->row()->widget(id) : nullptr;
        EXPECT_TRUE(qobject_cast<Widget*>(widget)) << qPrintable(toRaw(id)) << " is not its own widget";
        return qobject_cast<Widget*>(widget);
    }

    QList<CalendarItem> shownInCalendar;
    FakeClipboard clipboard;
    FakeAudioHardware audio;
    QTemporaryDir folder;
    std::shared_ptr<ModelContainer> container;
    std::unique_ptr<DeskRepository> repository;
};

} // namespace

TEST_F(DeskWiringTest, EveryWidgetIsBuiltForItsIdAndReachesItsService) {
    CalendarHarness calendars(scheduler);
    const std::unique_ptr<CalendarService> calendar = calendars.make();
    QList<MediaCommand> commands;
    GrantedAccess camera;
    NotchWindowController controller(settings, environment);
    controller.setOnModelCreated([&](NotchViewModel& model) {
        model.setOnMediaCommand([&](const MediaCommand& command) { commands << command; });
        model.setCalendarService(calendar.get());
    });
    controller.deskEnvironment().cameraAccess = &camera;
    controller.deskEnvironment().makeCameraCapture = [] { return std::make_unique<InstantCapture>(); };
    controller.setRepository(repository.get());
    NotchViewModel& model = *controller.displays().first().model;
    settle([] { return true; });

    // Media, to-dos, timer and mirror.
    DeskView* desk =
        openDesk(controller, {WidgetID::media, WidgetID::todos, WidgetID::timer, WidgetID::mirror});
    ASSERT_NE(desk, nullptr);
    if (auto* media = cell<MediaWidget>(desk, WidgetID::media)) {
        NowPlayingState playing;
        playing.isPlaying = true;
        playing.title = QStringLiteral("Song");
        model.setNowPlaying(playing);
        ASSERT_TRUE(media->showsPlayer());
        media->transportButtons().at(1)->click();
        EXPECT_EQ(commands, QList<MediaCommand>{MediaCommand::toggle()});
    }
    if (auto* todos = cell<TodoWidget>(desk, WidgetID::todos)) {
        todos->field()->setText(QStringLiteral("Buy milk"));
        Q_EMIT todos->field()->returnPressed();
        ASSERT_EQ(repository->todos().size(), 1);
        EXPECT_EQ(todos->items(), repository->todos());
    }
    if (auto* timer = cell<TimerWidget>(desk, WidgetID::timer)) {
        timer->startButton()->click();
        EXPECT_EQ(controller.timerStore().timers().size(), 1);
        EXPECT_EQ(timer->timers(), controller.timerStore().timers());
    }
    if (auto* mirror = cell<MirrorWidget>(desk, WidgetID::mirror)) {
        ASSERT_TRUE(settle([&] { return mirror->session().has_value(); }))
            << "the mirror never showed the camera";
        EXPECT_EQ(camerasRunning, 1);
    }

    // Calendar, notes and shortcuts.
    const QString shortcutMarker = folder.path() + QStringLiteral("/shortcut-ran");
    writeScript(files::configFolder() + QStringLiteral("/Shortcuts/Mark"), shortcutMarker);
    repository->addShortcut(QStringLiteral("Mark"), QStringLiteral("sparkles"));
    desk = openDesk(controller, {WidgetID::calendar, WidgetID::notes, WidgetID::shortcuts});
    ASSERT_NE(desk, nullptr);
    EXPECT_TRUE(settle([] { return camerasRunning == 0; })) << "the closed desk's camera still runs";
    if (auto* widget = cell<CalendarWidget>(desk, WidgetID::calendar)) {
        calendars.state->events = {storeEvent(QStringLiteral("Standup"), scheduler.now() + 60)};
        calendar->start();
        ASSERT_TRUE(settle([&] { return widget->rows().size() == 1; })) << "the calendar's events never came";
        QWidget* row = widget->rows().first();
        QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
        ASSERT_EQ(shownInCalendar.size(), 1);
        EXPECT_EQ(shownInCalendar.first().uid, QStringLiteral("Standup"));
    }
    if (auto* notes = cell<NotesWidget>(desk, WidgetID::notes)) {
        notes->editor()->setPlainText(QStringLiteral("Remember"));
        EXPECT_EQ(repository->noteText(), QStringLiteral("Remember"));
    }
    if (auto* shortcuts = cell<ShortcutsWidget>(desk, WidgetID::shortcuts)) {
        ASSERT_EQ(shortcuts->rows().size(), 1);
        QWidget* row = shortcuts->rows().first();
        QTest::mouseClick(row, Qt::LeftButton, {}, row->rect().center());
        EXPECT_TRUE(processEventsUntil([&] { return QFile::exists(shortcutMarker); }))
            << "the shortcut never ran";
    }

    // Quick apps, weather, clipboard and sound output.
    const QString appMarker = folder.path() + QStringLiteral("/app-ran");
    writeScript(folder.path() + QStringLiteral("/app.sh"), appMarker);
    const QString entry = folder.path() + QStringLiteral("/marker.desktop");
    QFile entryFile(entry);
    ASSERT_TRUE(entryFile.open(QIODevice::WriteOnly));
    entryFile.write("[Desktop Entry]\nType=Application\nName=Marker\nExec=" + folder.path().toUtf8() +
                    "/app.sh\n");
    entryFile.close();
    controller.quickAppsService().add(QuickApp{.id = QUuid::createUuid(),
                                               .bundleID = QStringLiteral("marker.desktop"),
                                               .name = QStringLiteral("Marker"),
                                               .path = entry});
    controller.refreshQuickApps();
    clipboard.copy(FakeClipboard::text("first copy"));
    controller.pollClipboard(true, 20, false);
    ASSERT_TRUE(settle([&] { return model.clips().size() == 1; })) << "the copy never reached the history";
    clipboard.copy(FakeClipboard::text("later copy"));
    desk = openDesk(controller,
                    {WidgetID::quickApps, WidgetID::weather, WidgetID::clipboard, WidgetID::audioDevice});
    ASSERT_NE(desk, nullptr);
    if (auto* apps = cell<QuickAppsWidget>(desk, WidgetID::quickApps)) {
        ASSERT_EQ(apps->tiles().size(), 1);
        apps->tiles().first()->click();
        EXPECT_TRUE(processEventsUntil([&] { return QFile::exists(appMarker); })) << "the app never started";
    }
    if (auto* weather = cell<WeatherWidget>(desk, WidgetID::weather)) {
        const QStringList asking{QStringLiteral("Weather where you are"),
                                 QStringLiteral("Location is used at reduced accuracy.")};
        ASSERT_EQ(weather->texts(), asking) << "the shared provider has no location yet";
        auto* empty = weather->findChild<WidgetEmptyState*>();
        ASSERT_TRUE(empty && empty->actionButton());
        empty->actionButton()->click();
        // Without a location service here the answer is a refusal; with one, a reading.
        EXPECT_TRUE(settle([&] { return weather->texts() != asking; }))
            << "asking for the location never reached the shared provider";
    }
    if (auto* clips = cell<ClipboardWidget>(desk, WidgetID::clipboard)) {
        ASSERT_EQ(clips->rows().size(), 1);
        QWidget* row = clips->rows().first();
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(20, row->height() / 2));
        EXPECT_TRUE(settle([&] {
            return clipboard.current().value(QStringLiteral("UTF8_STRING")) == QByteArray("first copy");
        })) << "restoring never wrote the clipboard";
    }
    if (auto* output = cell<AudioDeviceWidget>(desk, WidgetID::audioDevice)) {
        ASSERT_EQ(output->rows().size(), 2);
        output->rows().at(1)->click();
        EXPECT_EQ(audio.snapshot().defaultDevice, 2u);
        ASSERT_EQ(output->rows().size(), 2);
        EXPECT_EQ(output->rows().at(1)->toolTip(), QStringLiteral("Headphones — current output"))
            << "the list was read again after the choice";
    }
}

TEST_F(DeskWiringTest, TheTrayTabsBannerFollowsTheSharedPipelineRunner) {
    NotchWindowController controller(settings, environment);
    DeskView* desk = openDesk(controller, {WidgetID::todos}, DeskTab::tray);
    ASSERT_TRUE(desk && desk->trayTab() && desk->trayTab()->banner());
    PipelineBanner* banner = desk->trayTab()->banner();
    EXPECT_EQ(banner->state(), PipelineRunState::idle());

    const QString photo = folder.path() + QStringLiteral("/photo.bmp");
    ASSERT_TRUE(QImage(8, 8, QImage::Format_RGB32).save(photo));
    const QList<QUrl> urls{QUrl::fromLocalFile(photo)};
    PipelineRunner& runner = controller.pipelineRunner();
    const QList<PipelinePtr> lanes = runner.lanes(urls, {PipelineID::convertFormat});
    ASSERT_FALSE(lanes.isEmpty());
    runner.run(lanes.first(), urls, NotchWindowController::pipelineOutputDirectory(), {});
    EXPECT_NE(runner.state(), PipelineRunState::idle());
    EXPECT_EQ(banner->state(), runner.state()) << "the banner shows the run as it starts";
    ASSERT_TRUE(settle([&] { return runner.undoable().has_value(); })) << "the run never finished";
    EXPECT_EQ(banner->state(), runner.state()) << "the banner shows the finished run";
    EXPECT_FALSE(banner->undoButton()->isHidden());
}
