// A real file drag on the X server: another program drags a file over the top of the
// screen; the notch arms, offers its lanes and takes the file into the tray.
#include "Vesk/Notch/NotchPanel.h"
#include "Vesk/Notch/NotchViewModel.h"
#include "Vesk/Screens/NotchWindowController.h"
#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Settings/SettingsStore.h"

#include "support/EventLoop.h"
#include "support/X11/Xdotool.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QProcess>
#include <QTimer>

using namespace vesk;
using namespace vesk::test;

TEST(NotchDropX11Test, AFileDraggedFromAnotherProgramArmsTheNotchAndLandsInTheTray) {
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    const QString sources = qEnvironmentVariable("VESK_TEST_ROOT") + QStringLiteral("/sources");
    ASSERT_TRUE(QDir().mkpath(sources));
    const QString file = sources + QStringLiteral("/dragged.txt");
    {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write("dragged");
    }

    auto defaults = UserDefaults::inMemory();
    SettingsStore settings(*defaults);
    // The drop lands in the middle of the notch, where pipeline lanes would take it.
    settings.setPipelinesEnabled(false);
    NotchWindowController controller(settings);
    ASSERT_EQ(controller.displays().size(), 1);
    NotchViewModel* model = controller.displays().first().model;
    QList<TrayItem> dropped;
    controller.setOnFilesDropped([&](const QList<TrayItem>& items) { dropped << items; });
    controller.startDragMonitors();
    // The shell's heartbeat.
    QTimer heartbeat;
    QObject::connect(&heartbeat, &QTimer::timeout, [&] { controller.pollDragPasteboard(); });
    heartbeat.start(250);

    QProcess source;
    source.start(QStringLiteral(VESK_BINARY_DIR "/bin/vesk-drag-source"), {"700", "500", file});
    ASSERT_TRUE(source.waitForStarted());
    QByteArray said;
    ASSERT_TRUE(processEventsUntil([&] {
        return (said += source.readAllStandardOutput()).contains("ready");
    })) << "the drag source never showed its window";

    bool sawLanes = false;
    QObject::connect(model, &NotchViewModel::dragLanesChanged,
                     [&] { sawLanes |= !model->dragLanes().isEmpty(); });
    // Press in the source and drag up in steps, as a hand would, to the notch at the top
    // centre of the 1920-wide screen.
    const auto step = [](const QStringList& args) {
        ASSERT_TRUE(xdotool(args));
        processEventsFor(60);
    };
    step({"mousemove", "750", "550"});
    step({"mousedown", "1"});
    for (int i = 0; i < 10; ++i)
        step({"mousemove_relative", "--", "21", "-50"});
    ASSERT_TRUE(processEventsUntil([&] { return controller.isDragArmed(); }))
        << "the drag never armed the notch";
    // Onto the drawn notch: without a compositing manager the panel's window shape is
    // the drawn outline, and a drag source looks for its target only inside it.
    step({"mousemove", "960", "3"});
    step({"mousemove_relative", "--", "2", "1"});
    EXPECT_TRUE(processEventsUntil([&] { return model->state() == NotchState::dropTarget(); }));
    EXPECT_TRUE(sawLanes);
    step({"mouseup", "1"});

    EXPECT_TRUE(processEventsUntil([&] { return !dropped.isEmpty(); })) << "nothing was dropped";
    ASSERT_EQ(controller.trayStore().items().size(), 1);
    EXPECT_EQ(controller.trayStore().items().first().displayName, "dragged.txt");
    EXPECT_EQ(dropped, controller.trayStore().items());
    EXPECT_TRUE(QFile::exists(file)); // copied, not moved
    EXPECT_TRUE(processEventsUntil([&] { return !controller.isDragArmed(); }));
    source.kill();
    source.waitForFinished();
}
