#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/Audio/AudioState.h"

#include <QAbstractButton>
#include <QList>

namespace vesk {

class WidgetFrame;

// "Sound Output": the output devices with the default one checked; a click makes a
// device the default output.
class AudioDeviceWidget : public DeskWidget {
    Q_OBJECT

public:
    AudioDeviceWidget(const DeskEnvironment& environment,
                      std::function<void(const AudioOutputDevice&)> onSelect, QWidget* parent = nullptr);

    void setDevices(const QList<AudioOutputDevice>& devices);
    // One button per device, in order; empty while the empty state shows.
    QList<QAbstractButton*> rows() const;
    WidgetFrame* frame() const { return m_frame; }

private:
    std::function<void(const AudioOutputDevice&)> m_onSelect;
    QList<AudioOutputDevice> m_devices;
    WidgetFrame* m_frame = nullptr;
    QList<QAbstractButton*> m_rows;
};

} // namespace vesk
