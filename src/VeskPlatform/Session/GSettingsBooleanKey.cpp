#include "VeskPlatform/Session/GSettingsBooleanKey.h"

#include <QAbstractEventDispatcher>
#include <QByteArray>

#include <gio/gio.h>

namespace vesk {

namespace {

bool eventLoopRunsGlib() {
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    return dispatcher && dispatcher->inherits("QEventDispatcherGlib");
}

} // namespace

std::unique_ptr<GSettingsBooleanKey> GSettingsBooleanKey::open(const QString& schemaId, const QString& key,
                                                               std::function<void(bool)> onChange) {
    if (!eventLoopRunsGlib()) return nullptr;
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    if (!source) return nullptr;
    const QByteArray id = schemaId.toUtf8();
    const QByteArray keyName = key.toUtf8();
    GSettingsSchema* schema = g_settings_schema_source_lookup(source, id.constData(), TRUE);
    if (!schema) return nullptr;
    bool usable = g_settings_schema_has_key(schema, keyName.constData());
    if (usable) {
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, keyName.constData());
        usable =
            g_variant_type_equal(g_settings_schema_key_get_value_type(schemaKey), G_VARIANT_TYPE_BOOLEAN);
        g_settings_schema_key_unref(schemaKey);
    }
    if (!usable) {
        g_settings_schema_unref(schema);
        return nullptr;
    }

    std::unique_ptr<GSettingsBooleanKey> opened(new GSettingsBooleanKey);
    opened->m_key = keyName;
    opened->m_onChange = std::move(onChange);
    GSettings* settings = g_settings_new_full(schema, nullptr, nullptr);
    g_settings_schema_unref(schema);
    opened->m_settings = settings;
    const QByteArray detailed = QByteArrayLiteral("changed::") + keyName;
    opened->m_handler = g_signal_connect(settings, detailed.constData(),
                                         G_CALLBACK(&GSettingsBooleanKey::changed), opened.get());
    // GSettings sends change signals only for keys that were read at least once.
    opened->value();
    return opened;
}

GSettingsBooleanKey::~GSettingsBooleanKey() {
    auto* settings = static_cast<GSettings*>(m_settings);
    if (!settings) return;
    if (m_handler) g_signal_handler_disconnect(settings, m_handler);
    g_object_unref(settings);
}

bool GSettingsBooleanKey::value() const {
    return g_settings_get_boolean(static_cast<GSettings*>(m_settings), m_key.constData());
}

void GSettingsBooleanKey::changed(void* /*settings*/, const char* /*key*/, void* self) {
    auto* key = static_cast<GSettingsBooleanKey*>(self);
    if (key->m_onChange) key->m_onChange(key->value());
}

} // namespace vesk
