#pragma once

#include <QWidget>

#include <functional>

namespace vesk {

class ClipboardService;
class SettingsStore;

// The Clipboard pane: whether copies are recorded, how many are kept, whether the
// history survives quitting, what it never keeps, and "Clear history now". The
// persistence switch reaches the service at once: off deletes the history file and
// keeps the service from writing it again, whether or not recording is on.
QWidget* makeClipboardPane(SettingsStore& settings, ClipboardService& service,
                           std::function<void()> onChange);

} // namespace vesk
