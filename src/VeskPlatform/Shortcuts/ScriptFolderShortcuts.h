#pragma once

#include "VeskKit/Foundation/SerialQueue.h"
#include "VeskPlatform/Shortcuts/ShortcutScripts.h"

#include <QFileInfo>

namespace vesk {

// Shortcuts as the executable files of one folder: "Start Timer.sh" is the shortcut
// "Start Timer". Listing and running happen on the serial queue
// "app.tessarn.notch.shortcuts". A script runs with no arguments and no shell, in a
// process group of its own with the home folder as working folder; its text input comes
// on standard input, its output goes nowhere. One that runs too long is ended, with
// every process it started.
class ScriptFolderShortcuts final : public ShortcutScripts {
public:
    struct Options {
        QString folder;
        // How long a script may run before SIGTERM goes to its process group, and how
        // long after that SIGKILL follows.
        double timeout = 120;
        double killDelay = 5;
        // Where outcomes are reported; the trace log when empty. Called on the queue.
        std::function<void(const QString&)> trace;
    };

    // The folder ~/.config/Vesk/Shortcuts, which the program never creates.
    static QString defaultFolder();

    explicit ScriptFolderShortcuts(Options options);
    ~ScriptFolderShortcuts() override;

    bool canList() const override;
    void list(QObject* context, std::function<void(QStringList)> done) override;
    void run(const QString& name, const std::optional<QString>& input) override;

    // The files that list as shortcuts: regular files (through links) the user may run,
    // neither hidden nor editor backups ending in "~".
    static QFileInfoList scripts(const QString& folder);
    // The shortcut name of a file: its name without the last extension.
    static QString shortcutName(const QFileInfo& file);

private:
    void start(const QString& name, const std::optional<QString>& input);
    void trace(const QString& line) const;

    Options m_options;
    SerialQueue m_queue;
};

} // namespace vesk
