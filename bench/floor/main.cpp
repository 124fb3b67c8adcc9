// The floor the notch is measured against: the least a Qt program can do and still keep
// a notch on screen. One frameless top window drawing a black notch shape, and one
// 250 ms timer that wakes the process like a heartbeat and does nothing else.
#include <QApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace {

class FloorNotch : public QWidget {
public:
    FloorNotch() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        const QRect screen = QGuiApplication::primaryScreen()->geometry();
        const QSize size(200, 32);
        setGeometry(screen.left() + (screen.width() - size.width()) / 2, screen.top(), size.width(),
                    size.height());
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0, -12, 0, 0), 12, 12);
        painter.fillPath(shape, Qt::black);
    }
};

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    FloorNotch notch;
    notch.show();
    qint64 ticks = 0;
    QTimer heartbeat;
    heartbeat.setInterval(250);
    QObject::connect(&heartbeat, &QTimer::timeout, [&ticks] { ++ticks; });
    heartbeat.start();
    return app.exec();
}
