#pragma once

#include "VeskPlatform/Input/OutsideClickWatch.h"
#include "VeskPlatform/Input/X11RawPointer.h"

#include <QAbstractNativeEventFilter>

#include <optional>

namespace vesk {

// Raw XInput2 button presses on the root window show every click on the display, ours
// included; a click counts as elsewhere only when no window of ours takes it.
class X11OutsideClickWatch final : public OutsideClickWatch, private QAbstractNativeEventFilter {
    Q_OBJECT

public:
    explicit X11OutsideClickWatch(QObject* parent = nullptr);
    ~X11OutsideClickWatch() override;

    bool isWatching() const override { return m_raw.has_value(); }

private:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

    std::optional<X11RawPointer> m_raw;
};

} // namespace vesk
