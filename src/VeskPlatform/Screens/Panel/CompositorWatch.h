#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <cstdint>

namespace vesk {

// Whether a compositing manager runs on the display, followed as it comes and goes:
// without one, translucent pixels show black, so the notch must clip itself to its
// visible shape and leave the blurred backdrop out.
class CompositorWatch : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool isActive() const = 0;

    // The display's watch, made on first use: on X11 it follows the owner of the
    // "_NET_WM_CM_S<screen>" selection; on any other platform it reports none.
    static CompositorWatch& system();

Q_SIGNALS:
    void activeChanged(bool active);
};

// Follows the compositing-manager selection through XFixes owner notifications, so the
// change is seen at once without polling.
class X11CompositorWatch final : public CompositorWatch, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11CompositorWatch(QObject* parent = nullptr);
    ~X11CompositorWatch() override;

    bool isActive() const override { return m_active; }
    // False when the display has no XFixes, so changes cannot be followed.
    bool isWatching() const { return m_watching; }

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void refresh();

    uint32_t m_selection = 0;
    uint8_t m_xfixesEvent = 0;
    bool m_watching = false;
    bool m_active = false;
};

} // namespace vesk
