#pragma once

#include "VeskKit/Foundation/UserDefaults.h"
#include "VeskKit/Notch/NotchStateGuards.h"
#include "VeskKit/Settings/SettingsTable.h"

#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QVariant>

#include <optional>
#include <type_traits>

namespace vesk {

class SettingsStore;

// Small values pass by value, collections by reference.
template <typename T> using SettingParameter = std::conditional_t<std::is_scalar_v<T>, T, const T&>;

// One setting as the settings window binds it: the key, its C++ type, its default in the
// stored form, the write range of a Double, and a typed read and write through the store.
struct SettingDescriptor {
    struct Range {
        double lowest;
        double highest;
    };

    QString key;
    QString type;
    QVariant defaultValue;
    std::optional<Range> range;
    // The current value in the stored form.
    QVariant (*read)(const SettingsStore& store);
    // Writes a value given in the stored form through the setter; false (and nothing
    // written) when the value has the wrong form.
    bool (*write)(SettingsStore& store, const QVariant& value);
};

// The user's settings, kept in the user defaults and nowhere else: every read asks the
// defaults, every write goes straight to them. Main thread only.
//
// Observers watch `revision`: every write of any setting, an equal value included, bumps
// it once and emits revisionChanged, and observers re-read what they need.
class SettingsStore : public QObject {
    Q_OBJECT
    Q_PROPERTY(qint64 revision READ revision NOTIFY revisionChanged)

public:
    static constexpr qint64 currentSchemaVersion = 1;
    static inline const QString schemaVersionKey = QStringLiteral("settingsSchemaVersion");

    // Keys that describe this machine rather than the user's taste.
    static const QSet<QString>& deviceLocalKeys();

    // Every setting, in the order of the catalogue.
    static const QList<SettingDescriptor>& catalogue();

    // The defaults must outlive the store. Marks the schema version when it is missing.
    explicit SettingsStore(UserDefaults& defaults, QObject* parent = nullptr);

#define VESK_DECLARE_VALUE(Type, name, Name, fallback)                                                       \
    Type name() const;                                                                                       \
    void set##Name(SettingParameter<Type> value);
#define VESK_DECLARE_NUMBER(name, Name, fallback, lowest, highest)                                           \
    double name() const;                                                                                     \
    void set##Name(double value);
    VESK_SETTINGS(VESK_DECLARE_VALUE, VESK_DECLARE_NUMBER)
#undef VESK_DECLARE_VALUE
#undef VESK_DECLARE_NUMBER

    // The state machine's switches from the settings; `isTyping` is left false.
    NotchStateGuards notchGuards() const;

    void setWidget(WidgetID widget, bool enabled);
    // Stores the count clamped to the widget's minimum and 8 cells.
    void setCells(int cells, WidgetID widget);

    // Removes every key that begins with a lower-case letter (all settings and the
    // program's lower-case markers) except the marker of the one-time import of the old
    // JSON stores, whose removal would import them again; then marks the schema version.
    void resetAll();

    qint64 revision() const {
        return m_revision;
    }

    // The user defaults under the settings, for the few other keys kept beside them.
    UserDefaults& defaults() const {
        return m_defaults;
    }

Q_SIGNALS:
    void revisionChanged(qint64 revision);

private:
    void migrateIfNeeded();
    void store(const QString& key, const QVariant& value);
    void bump();

    UserDefaults& m_defaults;
    qint64 m_revision = 0;
};

} // namespace vesk
