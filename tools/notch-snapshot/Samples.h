#pragma once

#include "VeskKit/Activity/ActivityPayload.h"
#include "VeskKit/Pipeline/DropLane.h"
#include "VeskServices/Calendar/CalendarService.h"
#include "VeskServices/NowPlaying/NowPlayingState.h"
#include "VeskServices/Pipelines/PipelineRunState.h"
#include "VeskServices/Timers/VeskTimer.h"
#include "VeskServices/Tray/TrayItem.h"
#include "VeskSync/DeskRepository.h"

#include <QByteArray>
#include <QList>

#include <memory>

namespace vesk {
class DesktopApplications;
}

namespace vesk::snapshot {

// An activity of `kind` as its source would show it, with texts and a trailing element.
ActivityPayload samplePayload(ActivityKind kind);
// What is playing, at ambient priority, with `artwork` as its cover (none: no cover).
ActivityPayload ambientNowPlaying(std::optional<QByteArray> artwork);
// A PNG cover of `side` pixels: a warm gradient with a ring, so cropping and corners show.
QByteArray sampleCover(int side);

// The lanes a drag of images offers: shelf, AirDrop and four pipelines.
QList<DropLane> sampleLanes();

struct BannerSample {
    QString name;
    PipelineRunState state;
};
// Each state the pipeline banner draws.
QList<BannerSample> bannerSamples();

// A track 1:37 into 4:03, playing or paused, with or without its cover.
NowPlayingState sampleNowPlaying(bool playing, bool cover);
// Three installed players with drawn icons, as a desktop-entry layer that launches nothing.
std::shared_ptr<DesktopApplications> sampleApplications();

// Countdowns as of now: one with hours left, one paused, one finished.
QList<VeskTimer> sampleTimers();

// A repository on a temporary store holding sample shortcuts; it lives until the
// program ends.
DeskRepository* sampleRepository();
// A repository of its own with sample to-dos, one done and one a favourite.
DeskRepository* sampleTodos();
// The sample to-dos with one more typed while the store took no write: unsaved, and said.
DeskRepository* sampleTodosUnsaved();
// A repository of its own whose one shortcut was removed while another copy held the
// store's lock.
DeskRepository* sampleShortcutRemovedUnsaved();
// A repository of its own whose one to-do was removed while the store took no write.
DeskRepository* sampleTodoRemovedUnsaved();
// A repository of its own whose scratch note reads `text`.
DeskRepository* sampleNote(const QString& text);

// A calendar service over a store of sample events (or none) with this access, already
// started; it lives until the program ends.
CalendarService* sampleCalendar(CalendarAccess access, bool withEvents);

// Files as the tray lists them: an image, a document, a folder, then more images.
QList<TrayItem> sampleTrayItems(int count = 3);

} // namespace vesk::snapshot
