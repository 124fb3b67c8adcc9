#pragma once

#include "VeskPlatform/DragWatch/DragWatch.h"
#include "VeskPlatform/Input/X11RawPointer.h"

#include <QAbstractNativeEventFilter>

#include <optional>

namespace vesk {

// Drags on X11. Every XDND drag begins with its source taking the "XdndSelection"
// selection (and it is not released when the drag ends), so XFixes owner notifications
// count drags. The button comes from XQueryPointer. The monitors read XInput2 raw button
// events on the root window, and raw motion only while the left button is held, so an
// idle desktop never wakes the program.
class X11DragWatch final : public DragWatch, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    // Call isValid() to know whether the display could be watched.
    explicit X11DragWatch(QObject* parent = nullptr);
    ~X11DragWatch() override;

    // XFixes answered and the drag selection is followed.
    bool isValid() const { return m_xfixesFirstEvent != 0; }

    qint64 changeCount() const override { return m_changeCount; }
    bool isLeftButtonDown() const override;
    int startMonitors() override;
    void stopMonitors() override;

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    void selectRawEvents();
    void reportMotion();

    std::optional<X11RawPointer> m_raw;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    xcb_atom_t m_dndSelection = 0;
    quint8 m_xfixesFirstEvent = 0;
    qint64 m_changeCount = 0;

    bool m_monitoring = false;
    // The left button went down outside our windows and is still held.
    bool m_draggingElsewhere = false;
    bool m_motionPending = false;
};

} // namespace vesk
