#pragma once

#include "Vesk/Desk/Widgets/DeskWidget.h"
#include "VeskServices/NowPlaying/MediaCommand.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"

#include <functional>

class QAbstractButton;
class QStackedWidget;

namespace vesk {

class ArtworkView;
class MediaLaunchPrompt;

// The desk's player for what is playing: artwork, title and artist, a scrubber with the
// elapsed and total time, and previous, play or pause, and next. With no title it shows
// the launch prompt instead. Actions go out as media commands; the position is drawn
// for a clock that ticks every 0.5 s while shown, and only the scrubber is repainted then.
class MediaWidget : public DeskWidget {
    Q_OBJECT

public:
    static constexpr double tickInterval = 0.5;
    // After a drag on the scrubber ends, the bar stays on the chosen point this long.
    static constexpr double scrubHold = 0.6;

    MediaWidget(const DeskEnvironment& environment, std::function<void(const MediaCommand&)> onCommand,
                QWidget* parent = nullptr);

    void setState(const NowPlayingState& state);
    const NowPlayingState& state() const { return m_state; }

    // Seconds as "m:ss" (minutes not wrapped into hours); "0:00" for a negative or
    // undefined value; values beyond 10^9 s are capped.
    static QString time(double seconds);

    double position() const;
    double total() const;
    double fraction() const;
    bool isScrubbing() const { return m_scrubbing; }

    // Parts, for tests and snapshots.
    bool showsPlayer() const;
    MediaLaunchPrompt* prompt() const { return m_prompt; }
    QWidget* scrubber() const { return m_scrubber; }
    // The band of the scrubber that takes drags, in the scrubber's coordinates.
    QRectF trackRect() const;
    QList<QAbstractButton*> transportButtons() const { return m_buttons; }

protected:
    void appeared() override;
    void disappeared() override;

private:
    friend class ScrubberRow;
    void scrubTo(double x);
    void endScrub();
    void send(const MediaCommand& command) const;
    void refresh();

    std::function<void(const MediaCommand&)> m_onCommand;
    NowPlayingState m_state;
    Date m_now;
    bool m_scrubbing = false;
    double m_scrubValue = 0;
    QStackedWidget* m_pages = nullptr;
    QWidget* m_player = nullptr;
    ArtworkView* m_artwork = nullptr;
    QWidget* m_scrubber = nullptr;
    QList<QAbstractButton*> m_buttons;
    MediaLaunchPrompt* m_prompt = nullptr;
};

} // namespace vesk
