#include "VeskKit/Foundation/UserDefaults.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskKit/Foundation/Files.h"
#include "VeskKit/Foundation/FolderLock.h"
#include "VeskKit/Foundation/Scheduler.h"
#include "VeskKit/Foundation/TypedJson.h"

#include <QFileInfo>
#include <QStringList>

#include <cmath>
#include <cstdio>
#include <utility>

namespace vesk {

namespace {

std::shared_ptr<UserDefaults>& installedStandard() {
    static std::shared_ptr<UserDefaults> instance;
    return instance;
}
std::mutex standardMutex;

// Far more than any settings file; a larger one is not ours.
constexpr qint64 maximumFileSize = 16 * 1024 * 1024;

bool isNumber(const QVariant& v) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return true;
    default:
        return false;
    }
}

// Brings a value into the stored forms, recursively.
QVariant normalised(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return QVariant::fromValue<qint64>(value.toLongLong());
    case QMetaType::ULongLong:
        return QVariant::fromValue<qint64>(static_cast<qint64>(value.toULongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return value.toDouble();
    case QMetaType::QString:
        return value.toString();
    case QMetaType::QStringList: {
        QVariantList list;
        for (const QString& s : value.toStringList())
            list.append(s);
        return list;
    }
    case QMetaType::QVariantList: {
        QVariantList list;
        for (const QVariant& v : value.toList())
            list.append(normalised(v));
        return list;
    }
    case QMetaType::QVariantMap: {
        QVariantMap map;
        const QVariantMap source = value.toMap();
        for (auto it = source.begin(); it != source.end(); ++it)
            map.insert(it.key(), normalised(it.value()));
        return map;
    }
    default:
        return value;
    }
}

} // namespace

UserDefaults& UserDefaults::standard() {
    UserDefaults* defaults = nullptr;
    QString report;
    {
        std::lock_guard lock(standardMutex);
        auto& instance = installedStandard();
        if (!instance) {
            instance = atPath(files::configFolder() + QStringLiteral("/defaults.json"));
            report = instance->loadReport();
        }
        defaults = instance.get();
    }
    // Traced once the store is in place: tracing reads the store itself.
    if (!report.isEmpty()) TraceLog::trace(QStringLiteral("defaults: ") + report);
    return *defaults;
}

const QStringList& UserDefaults::oneTimeMarkers() {
    // Never destroyed: the standard defaults are flushed by a static destructor at exit,
    // which may run after this list's would have.
    static const QStringList* const keys = new QStringList{QStringLiteral("didMigrateJSONStores"),
                                                           QStringLiteral("hasCompletedOnboarding"),
                                                           QStringLiteral("hasSeededShortcuts")};
    return *keys;
}

void UserDefaults::setStandard(std::shared_ptr<UserDefaults> defaults) {
    std::lock_guard lock(standardMutex);
    installedStandard() = std::move(defaults);
}

std::shared_ptr<UserDefaults> UserDefaults::inMemory() {
    return std::shared_ptr<UserDefaults>(new UserDefaults(QString()));
}

std::shared_ptr<UserDefaults> UserDefaults::atPath(const QString& path) {
    std::shared_ptr<UserDefaults> defaults(new UserDefaults(path));
    defaults->load();
    return defaults;
}

UserDefaults::UserDefaults(QString path) : m_path(std::move(path)) {}

UserDefaults::~UserDefaults() {
    // Not traced: the standard store is destroyed at exit, and tracing would read it.
    std::lock_guard lock(m_mutex);
    writeIfDirty();
}

QString UserDefaults::markersPath() const {
    if (m_path.isEmpty()) return {};
    const QFileInfo info(m_path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".markers.json");
}

QString UserDefaults::loadReport() const {
    std::lock_guard lock(m_mutex);
    return m_loadReport;
}

void UserDefaults::load() {
    std::lock_guard lock(m_mutex);
    QStringList report;
    const files::FileRead read = files::readRegularFile(m_path, maximumFileSize);
    if (read.status != files::FileRead::Status::missing) {
        QString error = read.error;
        std::optional<QVariantMap> values;
        if (read.ok()) values = json::readTyped(read.bytes, &error);
        if (values) {
            m_values = std::move(*values);
        } else {
            // Whatever was read whole before the damage is still the user's.
            if (read.ok()) m_values = json::readTypedMembers(read.bytes);
            const std::optional<QString> aside = files::keepAside(m_path);
            report << QStringLiteral("%1 is unreadable (%2), kept aside as %3; %4 setting(s) kept")
                          .arg(QFileInfo(m_path).fileName(), error,
                               aside ? QFileInfo(*aside).fileName() : QStringLiteral("(could not move it)"))
                          .arg(m_values.size());
            m_dirty = true;
            // The file is aside: what was kept is written whole.
            for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
                m_changed.insert(it.key());
        }
    }
    const QStringList restored = restoreMarkers(m_dirty);
    if (!restored.isEmpty())
        report << QStringLiteral("one-time marker(s) restored from %1: %2")
                      .arg(QFileInfo(markersPath()).fileName(), restored.join(QStringLiteral(", ")));
    // What was kept and restored is written at once, while the damaged file is aside.
    if (!writeIfDirty()) report << std::exchange(m_failure, QString());
    m_loadReport = report.join(QStringLiteral("; "));
    if (!m_loadReport.isEmpty()) std::fprintf(stderr, "defaults: %s\n", qPrintable(m_loadReport));
}

QStringList UserDefaults::restoreMarkers(bool damaged) {
    QStringList restored;
    if (m_path.isEmpty()) return restored;
    const files::FileRead read = files::readRegularFile(markersPath(), maximumFileSize);
    const std::optional<QVariantMap> copy = read.ok() ? json::readTyped(read.bytes) : std::nullopt;
    for (const QString& key : oneTimeMarkers()) {
        const bool inMain = m_values.contains(key);
        const bool inCopy = copy && copy->contains(key);
        // Only damage loses a marker; one missing from a file that reads whole (or a file
        // removed by hand) was removed on purpose, and the copy follows.
        if (damaged && !inMain && inCopy) {
            m_values.insert(key, copy->value(key));
            m_changed.insert(key);
            restored << key;
            m_dirty = true;
        } else if (inMain != inCopy || (inMain && copy->value(key) != m_values.value(key))) {
            m_markersDirty = true;
        }
    }
    return restored;
}

QVariantMap UserDefaults::valuesToWrite() {
    const files::FileRead read = files::readRegularFile(m_path, maximumFileSize);
    // A missing file holds nothing but what this store changes.
    QVariantMap values;
    if (read.status != files::FileRead::Status::missing) {
        QString error = read.error;
        std::optional<QVariantMap> file;
        if (read.ok()) file = json::readTyped(read.bytes, &error);
        if (!file) {
            const std::optional<QString> aside = files::keepAside(m_path);
            // Not traced: tracing reads the standard store, whose mutex is held here.
            std::fprintf(
                stderr,
                "defaults: %s is unreadable (%s), kept aside as %s; every setting of this copy written\n",
                qPrintable(QFileInfo(m_path).fileName()), qPrintable(error),
                qPrintable(aside ? QFileInfo(*aside).fileName() : QStringLiteral("(could not move it)")));
            // Until a write lands, every setting is this copy's to write.
            for (auto it = m_values.cbegin(); it != m_values.cend(); ++it)
                m_changed.insert(it.key());
            return m_values;
        }
        values = std::move(*file);
    }
    for (const QString& key : std::as_const(m_changed)) {
        const auto ours = m_values.constFind(key);
        if (ours == m_values.cend())
            values.remove(key);
        else
            values.insert(key, *ours);
    }
    return values;
}

bool UserDefaults::save() {
    if (m_path.isEmpty()) return true;
    // Another copy may have written since: its changes stay beside ours.
    files::makePrivateFolder(QFileInfo(m_path).absolutePath());
    const FolderLock lock(QFileInfo(m_path).absolutePath());
    QVariantMap values = valuesToWrite();
    QString error;
    if (!files::writeAtomically(m_path, json::writeTyped(values), &error)) {
        // Memory keeps every change and the file stays as it was: the next change or
        // flush writes them.
        m_failure = QStringLiteral("cannot write %1, settings kept in memory: %2").arg(m_path, error);
        std::fprintf(stderr, "defaults: %s\n", qPrintable(m_failure));
        return false;
    }
    m_values = std::move(values);
    m_changed.clear();
    m_dirty = false;
    if (m_markersDirty) saveMarkers();
    return true;
}

bool UserDefaults::saveMarkers() {
    if (m_path.isEmpty()) return true;
    QVariantMap markers;
    for (const QString& key : oneTimeMarkers())
        if (m_values.contains(key)) markers.insert(key, m_values.value(key));
    QString error;
    if (!files::writeAtomically(markersPath(), json::writeTyped(markers), &error)) {
        m_failure = QStringLiteral("cannot write %1: %2").arg(markersPath(), error);
        std::fprintf(stderr, "defaults: %s\n", qPrintable(m_failure));
        return false;
    }
    m_markersDirty = false;
    return true;
}

void UserDefaults::noteWrite(const QString& key) {
    if (oneTimeMarkers().contains(key)) m_markersDirty = true;
}

bool UserDefaults::markDirty() {
    if (m_path.isEmpty()) return false;
    m_dirty = true;
    if (m_writeScheduled) return false;
    m_writeScheduled = true;
    return true;
}

void UserDefaults::scheduleWrite() {
    // Weak: a store destroyed meanwhile has flushed already.
    std::weak_ptr<UserDefaults> weak = weak_from_this();
    mainScheduler().postAfter(writeDelay, [weak] {
        if (const auto self = weak.lock()) self->writePending();
    });
}

void UserDefaults::writePending() {
    {
        std::lock_guard lock(m_mutex);
        m_writeScheduled = false;
        writeIfDirty();
    }
    traceFailure();
}

bool UserDefaults::writeIfDirty() {
    if (m_dirty) return save();
    return !m_markersDirty || saveMarkers();
}

void UserDefaults::traceFailure() {
    QString failure;
    {
        std::lock_guard lock(m_mutex);
        failure = std::exchange(m_failure, QString());
    }
    if (!failure.isEmpty()) TraceLog::trace(QStringLiteral("defaults: ") + failure);
}

void UserDefaults::flush() {
    {
        std::lock_guard lock(m_mutex);
        writeIfDirty();
    }
    traceFailure();
}

bool UserDefaults::isDirty() const {
    std::lock_guard lock(m_mutex);
    return m_dirty;
}

std::optional<QVariant> UserDefaults::object(const QString& key) const {
    std::lock_guard lock(m_mutex);
    const auto it = m_values.constFind(key);
    if (it == m_values.constEnd()) return std::nullopt;
    return *it;
}

void UserDefaults::setObject(const QString& key, const QVariant& value) {
    if (!value.isValid()) {
        remove(key);
        return;
    }
    bool schedule = false;
    {
        std::lock_guard lock(m_mutex);
        const QVariant stored = normalised(value);
        if (m_values.value(key) != stored || !m_values.contains(key)) noteWrite(key);
        // Set again to the value it had is still this copy's choice over another's.
        m_changed.insert(key);
        m_values.insert(key, stored);
        schedule = markDirty();
    }
    if (schedule) scheduleWrite();
}

void UserDefaults::remove(const QString& key) {
    bool schedule = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_values.remove(key) > 0) {
            noteWrite(key);
            m_changed.insert(key);
            schedule = markDirty();
        }
    }
    if (schedule) scheduleWrite();
}

void UserDefaults::removeKeys(const QStringList& keys) {
    bool schedule = false;
    {
        std::lock_guard lock(m_mutex);
        qsizetype removed = 0;
        for (const QString& key : keys)
            if (m_values.remove(key) > 0) {
                noteWrite(key);
                m_changed.insert(key);
                ++removed;
            }
        if (removed > 0) schedule = markDirty();
    }
    if (schedule) scheduleWrite();
}

std::optional<QString> UserDefaults::string(const QString& key) const {
    const auto value = object(key);
    if (!value) return std::nullopt;
    if (value->typeId() == QMetaType::QString) return value->toString();
    if (value->typeId() == QMetaType::Bool)
        return value->toBool() ? QStringLiteral("1") : QStringLiteral("0");
    if (value->typeId() == QMetaType::LongLong) return QString::number(value->toLongLong());
    if (value->typeId() == QMetaType::Double) return QString::number(value->toDouble(), 'g', 17);
    return std::nullopt;
}

std::optional<QVariantList> UserDefaults::array(const QString& key) const {
    const auto value = object(key);
    if (!value || value->typeId() != QMetaType::QVariantList) return std::nullopt;
    return value->toList();
}

std::optional<QVariantMap> UserDefaults::dictionary(const QString& key) const {
    const auto value = object(key);
    if (!value || value->typeId() != QMetaType::QVariantMap) return std::nullopt;
    return value->toMap();
}

bool UserDefaults::boolValue(const QString& key) const {
    const auto value = object(key);
    return value ? exactBool(*value).value_or(false) : false;
}

qint64 UserDefaults::integerValue(const QString& key) const {
    const auto value = object(key);
    return value ? exactInteger(*value).value_or(0) : 0;
}

double UserDefaults::doubleValue(const QString& key) const {
    const auto value = object(key);
    return value ? exactDouble(*value).value_or(0.0) : 0.0;
}

QVariantMap UserDefaults::dictionaryRepresentation() const {
    std::lock_guard lock(m_mutex);
    return m_values;
}

std::optional<bool> UserDefaults::exactBool(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) return value.toBool();
    if (!isNumber(value)) return std::nullopt;
    const double d = value.toDouble();
    if (d == 0.0) return false;
    if (d == 1.0) return true;
    return std::nullopt;
}

std::optional<qint64> UserDefaults::exactInteger(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? 1 : 0;
    if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int) return value.toLongLong();
    if (!isNumber(value)) return std::nullopt;
    const double d = value.toDouble();
    if (!std::isfinite(d) || std::trunc(d) != d || std::fabs(d) >= 9.2e18) return std::nullopt;
    return static_cast<qint64>(d);
}

std::optional<double> UserDefaults::exactDouble(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool) return value.toBool() ? 1.0 : 0.0;
    if (value.typeId() == QMetaType::LongLong) {
        const qint64 i = value.toLongLong();
        const auto d = static_cast<double>(i);
        if (static_cast<qint64>(d) != i) return std::nullopt;
        return d;
    }
    if (!isNumber(value)) return std::nullopt;
    return value.toDouble();
}

} // namespace vesk
