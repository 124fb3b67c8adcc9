#include "VeskPlatform/Pasteboard/SystemPasteboard.h"

#include <QGuiApplication>
#include <QMimeData>

namespace vesk {

SystemPasteboard::SystemPasteboard(QClipboard::Mode mode, QObject* parent) : QObject(parent), m_mode(mode) {
    connect(QGuiApplication::clipboard(), &QClipboard::changed, this, [this](QClipboard::Mode changedMode) {
        if (changedMode != m_mode) return;
        ++m_changeCount;
        Q_EMIT changed();
    });
}

const QMimeData* SystemPasteboard::contents() const {
    return QGuiApplication::clipboard()->mimeData(m_mode);
}

qint64 SystemPasteboard::setContents(QMimeData* data) {
    // Both the xcb and offscreen clipboards signal our own write before returning.
    if (data)
        QGuiApplication::clipboard()->setMimeData(data, m_mode);
    else
        QGuiApplication::clipboard()->clear(m_mode);
    return m_changeCount;
}

} // namespace vesk
