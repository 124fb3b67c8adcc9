#include "Vesk/Tray/TrayDragHandle.h"
#include "Vesk/Notch/NotchNotifications.h"
#include "Vesk/Tray/TrayMoveWatch.h"
#include "VeskKit/Foundation/NotificationCenter.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QTemporaryDir>

namespace vesk {
namespace {

class TrayDragHandleTest : public ::testing::Test {
protected:
    TrayDragHandleTest() {
        handle.resize(68, 68);
        handle.altHeld = [this] { return alt; };
        handle.onClick = [this] { ++clicks; };
        handle.onMovedAway = [this](const QList<TrayItem>& dragged) {
            new TrayMoveWatch(
                dragged,
                [this](const QList<TrayItem>& gone) {
                    for (const TrayItem& item : gone)
                        removed << item.displayName;
                },
                &context);
        };
        handle.performer = [this](QWidget*, QMimeData* data, const QPixmap&, Qt::DropAction supported) {
            dragged = data->urls();
            offered = supported;
            delete data;
            for (const QString& name : std::as_const(targetTakes))
                QFile::remove(folder.filePath(name));
            return answer;
        };
        NotificationCenter::defaultCenter().observe(
            notchNotifications::veskTrayDragChanged, &context, [this](const Notification& notification) {
                sourcing << notification.userInfo.value(notchNotifications::sourcingKey).toBool();
            });
    }

    TrayItem file(const QString& name) {
        QFile out(folder.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        TrayItem item;
        item.id = QUuid::createUuid();
        item.displayName = name;
        item.storedPath = folder.filePath(name);
        return item;
    }

    void mouse(QEvent::Type type, QPointF at) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, handle.mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held, Qt::NoModifier);
        QCoreApplication::sendEvent(&handle, &event);
    }
    // Press at (10, 10), move `distance` to the right, release.
    void pressMoveRelease(double distance) {
        mouse(QEvent::MouseButtonPress, QPointF(10, 10));
        mouse(QEvent::MouseMove, QPointF(10 + distance, 10));
        mouse(QEvent::MouseButtonRelease, QPointF(10 + distance, 10));
    }

    QTemporaryDir folder;
    TrayDragHandle handle;
    QObject context;
    bool alt = false;
    int clicks = 0;
    QStringList removed;
    QList<QUrl> dragged;
    Qt::DropAction offered = Qt::IgnoreAction;
    Qt::DropAction answer = Qt::CopyAction;
    QStringList targetTakes;
    QList<bool> sourcing;
};

TEST_F(TrayDragHandleTest, ThreePointsIsAClickFiveADragOfTheFilesInOrder) {
    handle.items = {file(u"a.txt"_qs), file(u"b.txt"_qs)};
    pressMoveRelease(3);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(sourcing.isEmpty());

    answer = Qt::IgnoreAction; // cancelled
    pressMoveRelease(5);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(dragged, (QList<QUrl>{handle.items[0].storedURL(), handle.items[1].storedURL()}));
    EXPECT_EQ(sourcing, (QList<bool>{true, false}));
}

TEST_F(TrayDragHandleTest, AltInvertsTheCopyDefault) {
    handle.items = {file(u"a.txt"_qs)};
    struct Case {
        bool copyByDefault, alt;
        Qt::DropAction offered;
    };
    for (const Case& c : {Case{true, false, Qt::CopyAction}, Case{true, true, Qt::MoveAction},
                          Case{false, false, Qt::MoveAction}, Case{false, true, Qt::CopyAction}}) {
        handle.copyByDefault = c.copyByDefault;
        alt = c.alt;
        pressMoveRelease(8);
        EXPECT_EQ(offered, c.offered) << c.copyByDefault << " alt " << c.alt;
    }
}

TEST_F(TrayDragHandleTest, AfterAMoveOnlyTheItemsWhoseFilesWentAreRemoved) {
    handle.copyByDefault = false;
    handle.items = {file(u"a.txt"_qs), file(u"b.txt"_qs), file(u"c.txt"_qs)};
    answer = Qt::MoveAction;
    targetTakes = {u"a.txt"_qs, u"c.txt"_qs};
    pressMoveRelease(8);
    EXPECT_TRUE(removed.isEmpty()) << "never inside the drag's own call";
    QCoreApplication::processEvents();
    EXPECT_EQ(removed, (QStringList{u"a.txt"_qs, u"c.txt"_qs}));

    // A target that reports a move it did not make: the file stays, and so does the item.
    removed.clear();
    handle.items = {file(u"d.txt"_qs)};
    targetTakes.clear();
    answer = Qt::TargetMoveAction;
    pressMoveRelease(8);
    QCoreApplication::processEvents();
    EXPECT_TRUE(removed.isEmpty());
    EXPECT_TRUE(QFile::exists(folder.filePath(u"d.txt"_qs)));

    // A copy never removes, whatever happened to the file.
    handle.copyByDefault = true;
    handle.items = {file(u"e.txt"_qs)};
    targetTakes = {u"e.txt"_qs};
    answer = Qt::MoveAction;
    pressMoveRelease(8);
    QCoreApplication::processEvents();
    EXPECT_TRUE(removed.isEmpty());
}

TEST_F(TrayDragHandleTest, WithoutItemsThereIsNoDragButAClickStillCounts) {
    pressMoveRelease(20);
    EXPECT_TRUE(sourcing.isEmpty());
    EXPECT_EQ(clicks, 1);
}

} // namespace
} // namespace vesk
