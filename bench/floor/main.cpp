// The floor the notch is measured against: the least a Qt program can do and still keep
// a notch on screen. One frameless top window drawing a black notch shape, and one
// 250 ms timer that wakes the process like a heartbeat and does nothing else.
//
// With --bars it also does what the notch does while music plays: five bars in a
// rectangle the size of the waveform's (23 x 14), animated at 30 frames a second,
// repainting only that rectangle.
#include <QApplication>
#include <QDateTime>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cmath>

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

    static QRect barsRect() { return QRect(165, 9, 23, 14); }
    void setBars(bool bars) { m_bars = bars; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath shape;
        shape.addRoundedRect(QRectF(rect()).adjusted(0, -12, 0, 0), 12, 12);
        painter.fillPath(shape, Qt::black);
        if (!m_bars) return;
        const double t = double(QDateTime::currentMSecsSinceEpoch() % 100000) / 1000.0;
        const QRect area = barsRect();
        for (int i = 0; i < 5; ++i) {
            const double h = 3 + 11 * (0.5 + 0.5 * std::sin(t * (5 + i) + i));
            painter.fillRect(QRectF(area.left() + i * 5.0, area.center().y() - h / 2, 2.5, h), Qt::white);
        }
    }

private:
    bool m_bars = false;
};

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    FloorNotch notch;
    notch.show();
    QTimer frames;
    if (app.arguments().contains(QStringLiteral("--bars"))) {
        notch.setBars(true);
        frames.setInterval(1000 / 30);
        QObject::connect(&frames, &QTimer::timeout, [&notch] { notch.update(FloorNotch::barsRect()); });
        frames.start();
    }
    qint64 ticks = 0;
    QTimer heartbeat;
    heartbeat.setInterval(250);
    QObject::connect(&heartbeat, &QTimer::timeout, [&ticks] { ++ticks; });
    heartbeat.start();
    return app.exec();
}
