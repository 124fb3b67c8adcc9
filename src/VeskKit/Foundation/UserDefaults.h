#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <memory>
#include <mutex>
#include <optional>

namespace vesk {

// A typed key-value store for settings and small markers. Values keep their type:
// Boolean, integer (qint64), double, string, array (QVariantList) and dictionary
// (QVariantMap), nested freely. The file-backed store is a JSON object written
// atomically, in a form that keeps whole doubles apart from integers. A file that cannot
// be read whole is kept aside and the store starts with every member that could still be
// read from it. The one-time markers are also kept in a second small file beside it and
// restored from there when damage to the main file lost them. Thread-safe.
//
// Writes are coalesced: a change is in memory (and seen by every read) at once, and the
// file is written once, writeDelay seconds after the first change that found it clean,
// through the main scheduler; a slider drag thus costs one write, not hundreds. flush()
// writes at once, and the store flushes when it is destroyed. A failed write (a full
// disk) leaves the file as it was and the store dirty, with every change in memory, so
// the next change or flush tries again; the reason is traced.
//
// Two copies of the program (two displays, one user) share the file. A write takes the
// file as it is now, under the folder's lock, and puts in it only the keys this store set
// or removed since it last read or wrote the file, so the other copy's changes stay; the
// store then holds what it wrote. A file that does not read whole at that moment is kept
// aside and this store's values are written whole.
class UserDefaults : public std::enable_shared_from_this<UserDefaults> {
public:
    static constexpr double writeDelay = 0.5;

    ~UserDefaults();

    // The process-wide store: $XDG_CONFIG_HOME/Vesk/defaults.json, opened on first use.
    static UserDefaults& standard();
    // Replaces the process-wide store (tests); nullptr goes back to the file.
    static void setStandard(std::shared_ptr<UserDefaults> defaults);

    // Keys whose loss would repeat a one-time step: importing the old files again (which
    // brings back what the user deleted since), the first-run window, first-run seeding.
    static const QStringList& oneTimeMarkers();

    static std::shared_ptr<UserDefaults> inMemory();
    static std::shared_ptr<UserDefaults> atPath(const QString& path);

    // The stored value, or nothing when the key is missing.
    std::optional<QVariant> object(const QString& key) const;
    // Stores a value; an invalid QVariant removes the key. Ints become qint64,
    // floats doubles and string lists arrays of strings.
    void setObject(const QString& key, const QVariant& value);
    void setInteger(const QString& key, qint64 value) { setObject(key, QVariant::fromValue<qint64>(value)); }
    void setBool(const QString& key, bool value) { setObject(key, value); }
    void setDouble(const QString& key, double value) { setObject(key, value); }
    void setString(const QString& key, const QString& value) { setObject(key, value); }
    void remove(const QString& key);
    // Removes several keys with one write of the file.
    void removeKeys(const QStringList& keys);

    // A string, or the text of a number (as the platform's string-for-key does).
    std::optional<QString> string(const QString& key) const;
    std::optional<QVariantList> array(const QString& key) const;
    std::optional<QVariantMap> dictionary(const QString& key) const;
    // Missing or not convertible exactly reads as false / 0.
    bool boolValue(const QString& key) const;
    qint64 integerValue(const QString& key) const;
    double doubleValue(const QString& key) const;

    // Every key with its value.
    QVariantMap dictionaryRepresentation() const;

    // Exact conversions of a stored value, as number objects convert: 1 and 0 are
    // Booleans but 2 is not; 2.0 is an integer but 1.5 is not; Booleans are 1 and 0.
    static std::optional<bool> exactBool(const QVariant& value);
    static std::optional<qint64> exactInteger(const QVariant& value);
    static std::optional<double> exactDouble(const QVariant& value);

    // The backing file, empty for an in-memory store.
    const QString& path() const { return m_path; }
    // The second copy of the one-time markers, beside the backing file.
    QString markersPath() const;
    // What loading found wrong and did about it, in one line; empty when the file read
    // whole (or was missing) and no marker had to be restored.
    QString loadReport() const;

    // Writes pending changes now; nothing when the file is up to date.
    void flush();
    // Whether memory holds changes the file does not have yet.
    bool isDirty() const;

private:
    explicit UserDefaults(QString path);
    void load();
    // Call with the mutex held; true when the file now holds m_values.
    bool save();
    // Call with the mutex held: the markers file matches m_values.
    bool saveMarkers();
    // Call with the mutex held; writes what the files lack, true when they hold it all.
    bool writeIfDirty();
    // Call without the mutex (tracing reads the standard store, maybe this one): traces
    // the last failed write.
    void traceFailure();
    // Call with the mutex held; puts back the markers a damaged main file lost and names
    // them, and notes when the copy must follow the main file.
    QStringList restoreMarkers(bool damaged);
    // Call with the mutex held; the values to write: the file's now, with this store's
    // changes over them.
    QVariantMap valuesToWrite();
    void noteWrite(const QString& key);
    // Call with the mutex held; true when a delayed write must be scheduled.
    bool markDirty();
    void scheduleWrite();
    void writePending();

    QString m_path;
    mutable std::mutex m_mutex;
    QVariantMap m_values;
    // Set or removed since the file was last read or written.
    QSet<QString> m_changed;
    bool m_dirty = false;
    bool m_markersDirty = false;
    QString m_loadReport;
    // Why the last write failed, until traced.
    QString m_failure;
    bool m_writeScheduled = false;
};

} // namespace vesk
