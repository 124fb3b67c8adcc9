#pragma once

#include "VeskPlatform/Audio/AudioTransport.h"

#include <QMap>
#include <QString>

#include <optional>

namespace vesk {

// What the sound server tells about a sink that says how it is attached.
struct PulseSinkFacts {
    QString name;                          // the sink's name, e.g. "bluez_sink.00_11..."
    QMap<QString, QString> properties;     // the sink's property list
    std::optional<quint32> activePortType; // pa_device_port_type of the active port
    QString activePortName;
    QString activePortDescription;
};

// Maps a sink to the transport shown for it: Bluetooth, HDMI or DisplayPort, AirPlay
// (RAOP), USB, virtual (null, combined and filter sinks), network tunnels as other,
// cards on the machine's own buses as built-in.
AudioTransport transportForSink(const PulseSinkFacts& sink);

} // namespace vesk
