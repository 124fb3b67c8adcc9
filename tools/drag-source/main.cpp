// vesk-drag-source X Y FILE...: shows a 100 × 100 window at X,Y; pressing in it and moving
// drags the files as file URLs. Prints "ready" once the window is up, and "dropped
// <action>" when a drag ends.
#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <cstdio>

namespace {

class Source final : public QWidget {
public:
    explicit Source(QList<QUrl> urls) : m_urls(std::move(urls)) {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Qt::darkCyan); }
    void mousePressEvent(QMouseEvent* event) override { m_pressed = event->position().toPoint(); }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (!(event->buttons() & Qt::LeftButton)) return;
        if ((event->position().toPoint() - m_pressed).manhattanLength() < QApplication::startDragDistance())
            return;
        auto* data = new QMimeData;
        data->setUrls(m_urls);
        // Made with new: an X11 target asks for the data after exec() has begun.
        auto* drag = new QDrag(this);
        drag->setMimeData(data);
        const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
        std::printf("dropped %d\n", int(action));
        std::fflush(stdout);
    }

private:
    QList<QUrl> m_urls;
    QPoint m_pressed;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: vesk-drag-source X Y FILE...\n");
        return 2;
    }
    QList<QUrl> urls;
    for (const QString& path : args.mid(3))
        urls << QUrl::fromLocalFile(path);
    Source source(urls);
    source.setWindowFlags(Qt::FramelessWindowHint);
    source.setGeometry(args[1].toInt(), args[2].toInt(), 100, 100);
    source.show();
    // Ready once the server has mapped the window, so a press at its place lands in it.
    QTimer exposed;
    QObject::connect(&exposed, &QTimer::timeout, [&] {
        if (!source.windowHandle() || !source.windowHandle()->isExposed()) return;
        exposed.stop();
        std::printf("ready\n");
        std::fflush(stdout);
    });
    exposed.start(10);
    return app.exec();
}
