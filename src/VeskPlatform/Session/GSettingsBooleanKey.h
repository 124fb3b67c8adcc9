#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

namespace vesk {

// One Boolean key of an installed GSettings schema, followed through its change
// signal. Changes arrive on the thread that opened the key, through the GLib main
// context that Qt's event loop runs there.
class GSettingsBooleanKey {
public:
    // Nothing when the schema or the key is not installed (GSettings aborts the
    // process when asked for a missing schema, so it is looked up first), or when the
    // thread's event loop does not run GLib's main context (changes could never arrive).
    static std::unique_ptr<GSettingsBooleanKey> open(const QString& schema, const QString& key,
                                                     std::function<void(bool)> onChange);
    ~GSettingsBooleanKey();
    GSettingsBooleanKey(const GSettingsBooleanKey&) = delete;
    GSettingsBooleanKey& operator=(const GSettingsBooleanKey&) = delete;

    bool value() const;

private:
    GSettingsBooleanKey() = default;
    static void changed(void* settings, const char* key, void* self);

    void* m_settings = nullptr; // GSettings*
    unsigned long m_handler = 0;
    QByteArray m_key;
    std::function<void(bool)> m_onChange;
};

} // namespace vesk
