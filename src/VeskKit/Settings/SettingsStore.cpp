#include "VeskKit/Settings/SettingsStore.h"

#include "VeskKit/Settings/SettingsCodec.h"

#include <QStringList>
#include <QTextBoundaryFinder>
#include <QThread>

#include <algorithm>
#include <utility>

namespace vesk {

namespace codec = settingsCodec;

namespace {

// Removing this marker would make the next launch import the old JSON stores again and
// bring back what the user deleted since.
const QString importMarkerKey = QStringLiteral("didMigrateJSONStores");

// Code points with the Other_Lowercase and Other_Uppercase properties: cased, yet not
// in the Ll and Lu categories that QChar knows.
constexpr std::pair<char32_t, char32_t> otherLowercase[] = {
    {0x00AA, 0x00AA},   {0x00BA, 0x00BA},   {0x02B0, 0x02B8},   {0x02C0, 0x02C1},   {0x02E0, 0x02E4},
    {0x0345, 0x0345},   {0x037A, 0x037A},   {0x10FC, 0x10FC},   {0x1D2C, 0x1D6A},   {0x1D78, 0x1D78},
    {0x1D9B, 0x1DBF},   {0x2071, 0x2071},   {0x207F, 0x207F},   {0x2090, 0x209C},   {0x2170, 0x217F},
    {0x24D0, 0x24E9},   {0x2C7C, 0x2C7D},   {0xA69C, 0xA69D},   {0xA770, 0xA770},   {0xA7F2, 0xA7F4},
    {0xA7F8, 0xA7F9},   {0xAB5C, 0xAB5F},   {0xAB69, 0xAB69},   {0x10780, 0x10780}, {0x10783, 0x10785},
    {0x10787, 0x107B0}, {0x107B2, 0x107BA}, {0x1E030, 0x1E06D},
};
constexpr std::pair<char32_t, char32_t> otherUppercase[] = {
    {0x2160, 0x216F}, {0x24B6, 0x24CF}, {0x1F130, 0x1F149}, {0x1F150, 0x1F169}, {0x1F170, 0x1F189},
};

template <std::size_t N> bool inRanges(char32_t c, const std::pair<char32_t, char32_t> (&ranges)[N]) {
    return std::any_of(std::begin(ranges), std::end(ranges),
                       [c](const auto& range) { return c >= range.first && c <= range.second; });
}

bool hasLowercaseProperty(char32_t c) {
    return QChar::category(c) == QChar::Letter_Lowercase || inRanges(c, otherLowercase);
}

bool hasCasedProperty(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Letter_Lowercase || category == QChar::Letter_Uppercase ||
           category == QChar::Letter_Titlecase || inRanges(c, otherLowercase) || inRanges(c, otherUppercase);
}

// Whether the key's first character (a whole grapheme cluster) counts as lower case:
// a single code point with the Lowercase property, or a character that lower-casing
// leaves alone and that is either a single cased code point or changed by upper-casing.
bool startsWithLowercase(const QString& key) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, key);
    const qsizetype end = finder.toNextBoundary();
    const QString first = key.left(end > 0 ? end : key.size());
    const QList<uint> scalars = first.toUcs4();
    if (scalars.isEmpty()) return false;
    const bool single = scalars.size() == 1;
    if (single && hasLowercaseProperty(scalars.first())) return true;
    if (first.toLower() != first) return false;
    return (single && hasCasedProperty(scalars.first())) || first.toUpper() != first;
}

} // namespace

const QSet<QString>& SettingsStore::deviceLocalKeys() {
    static const QSet<QString> keys{
        QStringLiteral("notchWidthAdjust"), QStringLiteral("notchHeightAdjust"),
        QStringLiteral("handlerWidth"),     QStringLiteral("handlerHeight"),
        QStringLiteral("showOn"),           QStringLiteral("mirrorDeviceID"),
        QStringLiteral("demoMode"),
    };
    return keys;
}

SettingsStore::SettingsStore(UserDefaults& defaults, QObject* parent)
    : QObject(parent), m_defaults(defaults) {
    migrateIfNeeded();
}

#define VESK_DEFINE_VALUE(Type, name, Name, fallback)                                                        \
    Type SettingsStore::name() const {                                                                       \
        return codec::read<Type>(m_defaults, QStringLiteral(#name), fallback);                               \
    }                                                                                                        \
    void SettingsStore::set##Name(SettingParameter<Type> value) {                                            \
        store(QStringLiteral(#name), codec::encode(value));                                                  \
    }
#define VESK_DEFINE_NUMBER(name, Name, fallback, lowest, highest)                                            \
    double SettingsStore::name() const {                                                                     \
        return codec::read<double>(m_defaults, QStringLiteral(#name), fallback);                             \
    }                                                                                                        \
    void SettingsStore::set##Name(double value) {                                                            \
        store(QStringLiteral(#name), codec::clamp(value, lowest, highest));                                  \
    }
VESK_SETTINGS(VESK_DEFINE_VALUE, VESK_DEFINE_NUMBER)
#undef VESK_DEFINE_VALUE
#undef VESK_DEFINE_NUMBER

const QList<SettingDescriptor>& SettingsStore::catalogue() {
#define VESK_DESCRIBE_VALUE(Type, name, Name, fallback)                                                      \
    SettingDescriptor{                                                                                       \
        QStringLiteral(#name),                                                                               \
        QStringLiteral(#Type),                                                                               \
        codec::encode(Type(fallback)),                                                                       \
        std::nullopt,                                                                                        \
        [](const SettingsStore& target) { return codec::encode(target.name()); },                            \
        [](SettingsStore& target, const QVariant& value) {                                                   \
            const auto decoded = codec::decode<Type>(value);                                                 \
            if (decoded) target.set##Name(*decoded);                                                         \
            return decoded.has_value();                                                                      \
        },                                                                                                   \
    },
#define VESK_DESCRIBE_NUMBER(name, Name, fallback, lowest, highest)                                          \
    SettingDescriptor{                                                                                       \
        QStringLiteral(#name),                                                                               \
        QStringLiteral("double"),                                                                            \
        QVariant(double(fallback)),                                                                          \
        SettingDescriptor::Range{lowest, highest},                                                           \
        [](const SettingsStore& target) { return QVariant(target.name()); },                                 \
        [](SettingsStore& target, const QVariant& value) {                                                   \
            const auto decoded = codec::decode<double>(value);                                               \
            if (decoded) target.set##Name(*decoded);                                                         \
            return decoded.has_value();                                                                      \
        },                                                                                                   \
    },
    static const QList<SettingDescriptor> settings{VESK_SETTINGS(VESK_DESCRIBE_VALUE, VESK_DESCRIBE_NUMBER)};
#undef VESK_DESCRIBE_VALUE
#undef VESK_DESCRIBE_NUMBER
    return settings;
}

NotchStateGuards SettingsStore::notchGuards() const {
    NotchStateGuards guards;
    guards.expandOnHover = expandOnHover();
    guards.alwaysOpenOnHover = alwaysOpenOnHover();
    guards.preventCloseOnMouseLeave = preventCloseOnMouseLeave();
    guards.swipeToToggleOpen = swipeToToggleOpen();
    guards.swipeToDismissActivity = swipeToDismissActivity();
    guards.swipeToCycleActivity = swipeToCycleActivity();
    guards.swipeToSkipMedia = swipeToSkipMedia();
    guards.interactiveActivities = interactiveActivities();
    guards.quickPeekEnabled = quickPeekEnabled();
    guards.demoMode = demoMode();
    guards.lockWhileTyping = lockWhileTyping();
    guards.isTyping = false;
    return guards;
}

void SettingsStore::setWidget(WidgetID widget, bool enabled) {
    WidgetSet widgets = enabledWidgets();
    if (enabled)
        widgets.insert(widget);
    else
        widgets.remove(widget);
    setEnabledWidgets(widgets);
}

void SettingsStore::setCells(int cells, WidgetID widget) {
    WidgetCells map = widgetCells();
    map.insert(widget, std::min(std::max(cells, minCells(widget)), 8));
    setWidgetCells(map);
}

void SettingsStore::migrateIfNeeded() {
    if (const auto stored = m_defaults.object(schemaVersionKey)) {
        const auto version = UserDefaults::exactInteger(*stored);
        if (version && *version >= 1) return;
    }
    m_defaults.setInteger(schemaVersionKey, currentSchemaVersion);
}

void SettingsStore::resetAll() {
    QStringList doomed;
    const QStringList keys = m_defaults.dictionaryRepresentation().keys();
    for (const QString& key : keys)
        if (!key.isEmpty() && key != importMarkerKey && startsWithLowercase(key)) doomed.append(key);
    m_defaults.removeKeys(doomed);
    m_defaults.setInteger(schemaVersionKey, currentSchemaVersion);
    bump();
}

void SettingsStore::store(const QString& key, const QVariant& value) {
    m_defaults.setObject(key, value);
    bump();
}

void SettingsStore::bump() {
    Q_ASSERT(QThread::currentThread() == thread());
    ++m_revision;
    Q_EMIT revisionChanged(m_revision);
}

} // namespace vesk
