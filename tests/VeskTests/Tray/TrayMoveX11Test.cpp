// The tray of the real program: files moved out with the all-items chip leave it even
// when the target takes them after the drag, and dropped pictures are previewed without
// the program decoding them itself.
#include "../Shell/VeskNotchProgram.h"

#include "VeskKit/Foundation/Date.h"
#include "VeskServices/Tray/TrayIndex.h"

#include <QBuffer>
#include <QImage>
#include <QTemporaryDir>
#include <QUuid>

namespace vesk {
namespace {

class TrayMoveX11Test : public VeskNotchX11Test {
protected:
    QString trayRoot() const { return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Vesk/Tray"); }

    // Puts files into the tray as a user who dropped them earlier left it, before start.
    QList<TrayItem> seed(const QList<std::pair<QString, QByteArray>>& files, const QString& type) {
        QDir(trayRoot()).removeRecursively();
        QList<TrayItem> items;
        for (const auto& [name, bytes] : files) {
            TrayItem item;
            item.id = QUuid::createUuid();
            item.displayName = name;
            const QString folder =
                trayRoot() + QLatin1Char('/') + item.id.toString(QUuid::WithoutBraces).toUpper();
            QDir().mkpath(folder);
            item.storedPath = folder + QLatin1Char('/') + name;
            item.utTypeIdentifier = type;
            item.byteSize = bytes.size();
            item.addedAt = Date::now();
            QFile out(item.storedPath);
            EXPECT_TRUE(out.open(QIODevice::WriteOnly));
            out.write(bytes);
            items.append(item);
        }
        QFile index(trayRoot() + QStringLiteral("/index.json"));
        EXPECT_TRUE(index.open(QIODevice::WriteOnly));
        index.write(tray_index::encode(items));
        return items;
    }
    qsizetype indexed() const {
        return tray_index::read(trayRoot() + QStringLiteral("/index.json")).items.size();
    }

    // Starts the program with the desk open on the tray tab; its open window.
    QRect startOnTray() {
        QProcessEnvironment extra;
        extra.insert(QStringLiteral("VESK_OPEN"), QStringLiteral("tray"));
        start(program, extra);
        if (!launched(program)) return {};
        QRect desk;
        test::processEventsUntil([&] {
            for (const QRect& window : visibleWindows(program.processId()))
                if (window.top() <= 0 && window.height() > 150) desk = window;
            return desk.isValid();
        });
        return desk;
    }
};

TEST_F(TrayMoveX11Test, AllItemsMovedToATargetThatTakesThemLaterLeaveTheTrayAndTheIndex) {
    const QList<TrayItem> items = seed({{"one.txt", "one"}, {"two.txt", "two"}}, "public.plain-text");
    const QRect desk = startOnTray();
    ASSERT_TRUE(desk.isValid()) << "the desk never opened";

    QTemporaryDir destination;
    QProcess target;
    // A file manager moving across filesystems: each file is taken a second after the last.
    target.start(QStringLiteral(VESK_BINARY_DIR "/bin/vesk-drop-target"),
                 {"--later", "1000", "900", "600", destination.path()});
    ASSERT_TRUE(target.waitForStarted());
    QByteArray said;
    const auto hears = [&](const QByteArray& line) {
        return test::processEventsUntil([&] {
            said += target.readAllStandardOutput();
            return said.contains(line);
        });
    };
    ASSERT_TRUE(hears("ready")) << "the drop target never came up";

    // The all-items chip leads the row, below the header; Alt makes the drag a move.
    const QPoint chip(desk.left() + 63, desk.top() + 100);
    const auto at = [](int x, int y) { return QStringLiteral("mousemove %1 %2 sleep 0.05 ").arg(x).arg(y); };
    QString gesture =
        at(chip.x(), chip.y()) + QStringLiteral("sleep 0.3 keydown Alt_L mousedown 1 sleep 0.2 ");
    for (int i = 1; i <= 10; ++i)
        gesture += at(chip.x() + i * (1000 - chip.x()) / 10, chip.y() + i * (700 - chip.y()) / 10);
    gesture += QStringLiteral("mousemove_relative -- 2 2 sleep 0.4 mouseup 1 keyup Alt_L");
    ASSERT_TRUE(test::xdotool(gesture.split(QLatin1Char(' '))));
    ASSERT_TRUE(hears("dropped move 2")) << "the target took " << said.constData();

    EXPECT_TRUE(test::processEventsUntil([&] { return indexed() == 0; }, 5000))
        << indexed() << " item(s) still indexed after their files left";
    for (const TrayItem& item : items) {
        EXPECT_TRUE(QFile::exists(destination.filePath(item.displayName)));
        EXPECT_FALSE(QDir(QFileInfo(item.storedPath).path()).exists()) << "the item's folder stays";
    }
    target.kill();
    target.waitForFinished();
}

TEST_F(TrayMoveX11Test, ADroppedPhotoIsPreviewedWithoutTheProgramDecodingIt) {
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(qRgb(220, 30, 30));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && photo.save(&buffer, "JPEG"));
    const QList<TrayItem> items = seed({{"photo.jpg", jpeg}}, "public.jpeg");
    ASSERT_TRUE(startOnTray().isValid()) << "the desk never opened";

    const QString cache = trayRoot() + QStringLiteral("/.previews/") +
                          items.first().id.toString(QUuid::WithoutBraces).toUpper() + QStringLiteral(".png");
    ASSERT_TRUE(test::processEventsUntil([&] { return QFile::exists(cache); }))
        << "the photo was never previewed";
    // The preview is the photo's, scaled to the chip.
    const QImage preview(cache, "PNG");
    ASSERT_FALSE(preview.isNull());
    EXPECT_LE(std::max(preview.width(), preview.height()), 112);
    EXPECT_EQ(preview.width() * 3, preview.height() * 4);
    EXPECT_LT(qAbs(qRed(preview.pixel(10, 10)) - 220), 12);

    // Nor while the chip shows it.
    test::processEventsFor(300);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
    ASSERT_TRUE(maps.open(QIODevice::ReadOnly));
    QStringList decoders;
    for (const QByteArray& line : maps.readAll().split('\n'))
        if (line.contains("/imageformats/"))
            decoders.append(QString::fromUtf8(line.mid(line.lastIndexOf(' ') + 1)));
    decoders.removeDuplicates();
    EXPECT_TRUE(decoders.isEmpty()) << qPrintable(decoders.join(QLatin1Char(' ')));
}

} // namespace
} // namespace vesk
