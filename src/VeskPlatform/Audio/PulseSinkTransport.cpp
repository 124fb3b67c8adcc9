#include "VeskPlatform/Audio/PulseSinkTransport.h"

#include <pulse/def.h>

namespace vesk {

namespace {

bool hasKeyWithPrefix(const QMap<QString, QString>& properties, QLatin1StringView prefix) {
    for (auto it = properties.keyBegin(); it != properties.keyEnd(); ++it)
        if (it->startsWith(prefix)) return true;
    return false;
}

} // namespace

AudioTransport transportForSink(const PulseSinkFacts& sink) {
    const auto property = [&](const char* key) {
        return sink.properties.value(QLatin1String(key)).toLower();
    };
    const QString api = property("device.api");
    const QString bus = property("device.bus");
    const QString deviceClass = property("device.class");
    const QString formFactor = property("device.form_factor");
    const QString profile = property("device.profile.name");
    const QString factory = property("factory.name");
    const QString portName = sink.activePortName.toLower();
    const QString portDescription = sink.activePortDescription.toLower();
    const quint32 portType = sink.activePortType.value_or(PA_DEVICE_PORT_TYPE_UNKNOWN);

    if (api.startsWith(QLatin1String("bluez")) || bus == QLatin1String("bluetooth") ||
        sink.name.startsWith(QLatin1String("bluez_")) || portType == PA_DEVICE_PORT_TYPE_BLUETOOTH)
        return AudioTransport::bluetooth;

    const bool saysHdmi = portName.contains(QLatin1String("hdmi")) ||
                          profile.contains(QLatin1String("hdmi")) ||
                          portDescription.contains(QLatin1String("hdmi"));
    const bool saysDisplayPort = portDescription.contains(QLatin1String("displayport"));
    if (portType == PA_DEVICE_PORT_TYPE_HDMI || saysHdmi || saysDisplayPort)
        return saysDisplayPort && !portDescription.contains(QLatin1String("hdmi"))
                   ? AudioTransport::displayPort
                   : AudioTransport::hdmi;

    if (api == QLatin1String("raop") || sink.name.startsWith(QLatin1String("raop_")) ||
        hasKeyWithPrefix(sink.properties, QLatin1String("raop.")) ||
        hasKeyWithPrefix(sink.properties, QLatin1String("api.raop.")))
        return AudioTransport::airPlay;

    if (bus == QLatin1String("usb") || portType == PA_DEVICE_PORT_TYPE_USB) return AudioTransport::usb;

    if (deviceClass == QLatin1String("abstract") || deviceClass == QLatin1String("filter") ||
        factory.contains(QLatin1String("null-audio-sink")) ||
        property("node.virtual") == QLatin1String("true"))
        return AudioTransport::virtual_;

    if (sink.name.startsWith(QLatin1String("tunnel")) ||
        hasKeyWithPrefix(sink.properties, QLatin1String("tunnel.")) ||
        portType == PA_DEVICE_PORT_TYPE_NETWORK)
        return AudioTransport::other;

    if (bus == QLatin1String("pci") || bus == QLatin1String("platform") || bus == QLatin1String("isa") ||
        formFactor == QLatin1String("internal") ||
        (api == QLatin1String("alsa") && bus.isEmpty() && deviceClass == QLatin1String("sound")))
        return AudioTransport::builtIn;

    return AudioTransport::other;
}

} // namespace vesk
