#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"

#include <QPointer>
#include <QStringList>

namespace vesk {

class WeatherProvider;
class WidgetFrame;

// "Weather": the current reading in the locale's unit (°F where the US system of
// measures is used), or the location and failure states, following the provider.
class WeatherWidget : public DeskWidget {
    Q_OBJECT

public:
    WeatherWidget(const DeskEnvironment& environment, WeatherProvider& provider, QWidget* parent = nullptr);

    WidgetFrame* frame() const { return m_frame; }
    // The texts shown now, top to bottom (the reading's in the locale's unit); none while
    // loading.
    QStringList texts() const;

private:
    enum class Shown { none, reading, loading, needsLocation, denied, noService, failed };
    void rebuild();

    QPointer<WeatherProvider> m_provider;
    WidgetFrame* m_frame = nullptr;
    Shown m_shown = Shown::none;
    QString m_failure;
    QStringList m_stateTexts;
};

} // namespace vesk
