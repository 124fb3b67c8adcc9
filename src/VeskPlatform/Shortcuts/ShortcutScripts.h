#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace vesk {

// The user's shortcuts: small programs the desk lists by name and runs, optionally with
// text handed to them.
class ShortcutScripts {
public:
    virtual ~ShortcutScripts() = default;

    // Whether there is anywhere to list shortcuts from; read anew at every call.
    virtual bool canList() const = 0;
    // The shortcuts' names in no set order, duplicates kept, handed to `done` on the main
    // thread while `context` lives. Nothing when they cannot be listed.
    virtual void list(QObject* context, std::function<void(QStringList)> done) = 0;
    // Starts the shortcut of that name, with `input` as its text input when present and
    // not empty. Returns at once; what happens is traced, never shown.
    virtual void run(const QString& name, const std::optional<QString>& input) = 0;

    // The user's executable scripts in ~/.config/Vesk/Shortcuts/.
    static std::unique_ptr<ShortcutScripts> create();
};

} // namespace vesk
