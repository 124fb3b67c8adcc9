#pragma once

#include "support/EventLoop.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vesk::test {

// Runs `handle` with the next modal window once it is up (a message box or a file
// dialog run with exec()); `handle` must close it. Call before the code that opens it.
inline void whenModal(std::function<void(QWidget*)> handle, int timeoutMs = patienceMs) {
    auto* timer = new QTimer(qApp);
    const QDeadlineTimer deadline(timeoutMs);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, deadline, handle = std::move(handle)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal && !deadline.hasExpired()) return;
        timer->stop();
        timer->deleteLater();
        if (modal) handle(modal);
    });
    timer->start(10);
}

} // namespace vesk::test
