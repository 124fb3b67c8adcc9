// vesk-drop-target X Y FOLDER: shows a 200 × 200 window at X,Y that takes dropped files
// into FOLDER, moving them when the drag offers a move (as a file manager does) and
// copying them otherwise. Prints "ready" once the window is up and "dropped <move|copy>
// <count>" after each drop.
#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QPainter>
#include <QTimer>
#include <QWidget>

#include <cstdio>

namespace {

class Target final : public QWidget {
public:
    explicit Target(QString folder) : m_folder(std::move(folder)) { setAcceptDrops(true); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkGreen); }

    void dragEnterEvent(QDragEnterEvent* event) override {
        if (!event->mimeData()->hasUrls()) return;
        event->setDropAction(event->possibleActions() & Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    }
    void dragMoveEvent(QDragMoveEvent* event) override {
        event->setDropAction(event->possibleActions() & Qt::MoveAction ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    }
    void dropEvent(QDropEvent* event) override {
        const bool move = event->possibleActions() & Qt::MoveAction;
        int count = 0;
        for (const QUrl& url : event->mimeData()->urls()) {
            if (!url.isLocalFile()) continue;
            const QString source = url.toLocalFile();
            const QString target = QDir(m_folder).filePath(QFileInfo(source).fileName());
            const bool done = move ? QFile::rename(source, target) : QFile::copy(source, target);
            count += done ? 1 : 0;
        }
        event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
        std::printf("dropped %s %d\n", move ? "move" : "copy", count);
        std::fflush(stdout);
    }

private:
    QString m_folder;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4 || !QDir(args[3]).exists()) {
        std::fprintf(stderr, "usage: vesk-drop-target X Y FOLDER\n");
        return 2;
    }
    Target target(args[3]);
    target.setWindowFlag(Qt::FramelessWindowHint);
    target.setGeometry(args[1].toInt(), args[2].toInt(), 200, 200);
    target.show();
    QTimer::singleShot(300, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
