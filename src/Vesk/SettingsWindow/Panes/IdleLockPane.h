#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

namespace vesk {

class IdleService;
class SettingsStore;

// The line under the keep-awake switch: how long the display stays awake.
QString keepAwakeStatus(bool keepingAwake, const std::optional<Date>& until);

// Keep-awake and screen-lock settings. The keep-awake switch never keeps the user's
// flip: it asks for a toggle once and then shows what the idle service does, so a
// refused inhibitor leaves it off. Without an idle service the switch shows off and
// does nothing but ask.
QWidget* makeIdleLockPane(SettingsStore& settings, IdleService* idle,
                          std::function<void()> onToggleKeepAwake);

} // namespace vesk
