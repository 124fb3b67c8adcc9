// The window controller over several offscreen screens, with the drag and click watches
// faked and time on the manual scheduler: the fixture its tests share.
#pragma once

#include "Vesk/Notch/NotchHostingView.h"
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Notch/PipelineBanner.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"
#include "VeskPlatform/Power/SleepWatch.h"
#include "VeskPlatform/Screens/Screens.h"
#include "VeskServices/Audio/AudioState.h"
#include "VeskSync/DeskRepository.h"
#include "VeskSync/ModelContainer.h"
#include "VeskSync/ModelContext.h"
#include "support/EventLoop.h"
#include "support/Files.h"
#include "support/ManualScheduler.h"
#include "support/Pasteboard/FakeClipboard.h"
#include "support/Screens/OffscreenScreens.h"
#include "support/Tray/FakeThumbnailGenerator.h"
#include "support/WindowController/FakePointerWatches.h"
#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace vesk::test {

inline const OffscreenScreen screenA{"A", QRect(0, 0, 1512, 982)};
inline const OffscreenScreen screenB{"B", QRect(1512, 0, 1920, 1080), 2};
inline const OffscreenScreen screenC{"C", QRect(3432, 0, 1280, 800)};

inline quint32 idOf(const QString& name) {
    for (QScreen* screen : QGuiApplication::screens())
        if (screen->name() == name) return screens::displayID(*screen);
    return 0;
}

class NotchWindowControllerTest : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("VESK_TRACE", "1");
        // The tray and the pipelines keep their files in the process's data folder: each
        // test starts without those an earlier test in this process left.
        ASSERT_TRUE(QDir(files::applicationSupportFolder()).removeRecursively());
        setScreens({screenA, screenB});
        sources = qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/sources");
        ASSERT_TRUE(QDir().mkpath(sources));
    }

    void setScreens(const QList<OffscreenScreen>& screens) {
        ASSERT_TRUE(setOffscreenScreens(screens));
        QCoreApplication::processEvents();
    }

    std::unique_ptr<NotchWindowController> make() {
        NotchWindowController::Environment environment;
        environment.dragWatch = &drag;
        environment.clickWatch = &clicks;
        environment.sleepWatch = &sleep;
        environment.altHeld = [this] { return alt; };
        environment.trayOptions.clock = &scheduler.clock();
        environment.trayOptions.queueScheduler = trayQueue;
        environment.pipelineOptions.workScheduler = &scheduler;
        environment.trayOptions.thumbnails = std::make_shared<FakeThumbnailGenerator>();
        environment.modelEnvironment.clock = &scheduler.clock();
        environment.modelEnvironment.outputDevices = [] { return QList<AudioOutputDevice>{}; };
        if (board) {
            environment.pasteboard = board;
            environment.clipboardOptions = {.reader = board, .queueScheduler = &scheduler};
        }
        return std::make_unique<NotchWindowController>(settings, environment);
    }

    QString makeFile(const QString& name) const {
        const QString path = sources + QLatin1Char('/') + name;
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("hello");
        return path;
    }

    static void open(NotchViewModel& model) {
        model.send(NotchEvent::click());
        ASSERT_TRUE(model.state().isOpen());
    }

    static void pressKey(NotchPanel& panel, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(panel.windowHandle(), key, modifiers);
    }

    int traceCount(const QString& line) const {
        return int(TraceLog::recentLogLines(400).filter(line).size());
    }

    ManualScheduler scheduler;
    ScopedMainScheduler guard{scheduler};
    ManualScheduler* trayQueue = &scheduler;
    std::shared_ptr<UserDefaults> defaults = UserDefaults::inMemory();
    SettingsStore settings{*defaults};
    FakeDragWatch drag;
    FakeOutsideClickWatch clicks;
    SleepWatch sleep{QDBusConnection(QStringLiteral("none"))};
    bool alt = false;
    QString sources;
    // The clipboard, when the test gives one; the history then works on the manual scheduler.
    FakeClipboard* board = nullptr;
};

} // namespace vesk::test
