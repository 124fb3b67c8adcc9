// vesk-drop-target [--later MS] X Y FOLDER: shows a 200 × 200 window at X,Y that takes
// dropped files into FOLDER, moving them when the drag offers a move (as a file manager
// does) and copying them otherwise. Prints "ready" once the window is up and "dropped
// <move|copy> <count>" after each drop. With --later, a move accepts the drop at once and
// takes the files afterwards, one every MS milliseconds (the first MS after the drop), as
// a file manager moving across filesystems copies each file and then deletes its source.
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
    Target(QString folder, int laterMs) : m_folder(std::move(folder)), m_laterMs(laterMs) {
        setAcceptDrops(true);
    }

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
        QStringList sources;
        for (const QUrl& url : event->mimeData()->urls())
            if (url.isLocalFile()) sources.append(url.toLocalFile());
        event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
        if (move && m_laterMs > 0 && !sources.isEmpty()) {
            takeLater(sources, 0);
            return;
        }
        int count = 0;
        for (const QString& source : std::as_const(sources))
            count +=
                (move ? QFile::rename(source, target(source)) : QFile::copy(source, target(source))) ? 1 : 0;
        report(move, count);
    }

private:
    QString target(const QString& source) const {
        return QDir(m_folder).filePath(QFileInfo(source).fileName());
    }
    static void report(bool move, int count) {
        std::printf("dropped %s %d\n", move ? "move" : "copy", count);
        std::fflush(stdout);
    }
    // Copies the next file, then deletes its source.
    void takeLater(const QStringList& sources, int taken) {
        QTimer::singleShot(m_laterMs, this, [this, sources, taken] {
            const QString source = sources.first();
            const bool done = QFile::copy(source, target(source)) && QFile::remove(source);
            if (sources.size() > 1)
                takeLater(sources.mid(1), taken + (done ? 1 : 0));
            else
                report(true, taken + (done ? 1 : 0));
        });
    }

    QString m_folder;
    int m_laterMs;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QStringList args = app.arguments();
    int laterMs = 0;
    if (args.size() > 2 && args[1] == QLatin1String("--later")) {
        laterMs = args[2].toInt();
        args.remove(1, 2);
    }
    if (args.size() != 4 || !QDir(args[3]).exists() || laterMs < 0) {
        std::fprintf(stderr, "usage: vesk-drop-target [--later MS] X Y FOLDER\n");
        return 2;
    }
    Target target(args[3], laterMs);
    target.setWindowFlag(Qt::FramelessWindowHint);
    target.setGeometry(args[1].toInt(), args[2].toInt(), 200, 200);
    target.show();
    QTimer::singleShot(300, [] {
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return app.exec();
}
