#include "VeskUI/Symbols/SymbolTable.h"

#include "VeskUI/Symbols/DrawnSymbols.h"

#include <QHash>

#include <array>

namespace vesk::symbols {

namespace {

using namespace drawn;

// Theme icons are Adwaita's symbolic icons (adwaita-icon-theme), chosen for what the
// symbol means where it is used; the rest are drawn in DrawnShapes.cpp and DrawnMarks.cpp.
constexpr std::array table{
    // Sound and output devices
    SymbolEntry{u"speaker.wave.2.fill", u"audio-volume-high"},
    SymbolEntry{u"speaker.wave.2", u"audio-volume-high"},
    SymbolEntry{u"speaker.slash.fill", u"audio-volume-muted"},
    SymbolEntry{u"speaker.slash", u"audio-volume-muted"},
    SymbolEntry{u"hifispeaker.fill", {}, hifiSpeaker},
    SymbolEntry{u"airplayaudio", {}, airplayAudio},
    SymbolEntry{u"waveform.circle", {}, waveformCircle},
    SymbolEntry{u"cable.connector", {}, cableConnector},
    SymbolEntry{u"tv", u"tv"},
    SymbolEntry{u"display", u"video-display"},
    SymbolEntry{u"laptopcomputer", {}, laptop},
    SymbolEntry{u"desktopcomputer", u"computer"},
    SymbolEntry{u"iphone", u"phone-apple-iphone"},
    // Bluetooth devices
    SymbolEntry{u"airpods.gen3", {}, airpods},
    SymbolEntry{u"airpods.pro", {}, airpodsPro},
    SymbolEntry{u"airpods.max", u"audio-headphones"},
    SymbolEntry{u"beats.headphones", u"audio-headphones"},
    SymbolEntry{u"headphones", u"audio-headphones"},
    SymbolEntry{u"magicmouse.fill", u"input-mouse"},
    SymbolEntry{u"keyboard.fill", u"input-keyboard"},
    SymbolEntry{u"keyboard", u"input-keyboard"},
    SymbolEntry{u"trackpad.fill", u"input-touchpad"},
    SymbolEntry{u"antenna.radiowaves.left.and.right", {}, antennaRadiowaves},
    // Brightness, power and battery
    SymbolEntry{u"sun.max.fill", u"display-brightness"},
    SymbolEntry{u"sun.min.fill", {}, sunMin},
    SymbolEntry{u"bolt.fill", {}, bolt},
    SymbolEntry{u"bolt.badge.a.fill", {}, boltBadgeA},
    SymbolEntry{u"battery.100", u"battery-level-100"},
    SymbolEntry{u"battery.100.bolt", u"battery-level-100-charged"},
    SymbolEntry{u"battery.50", u"battery-level-50"},
    SymbolEntry{u"battery.25", u"battery-level-20"},
    SymbolEntry{u"power", u"system-shutdown"},
    SymbolEntry{u"powersleep", u"weather-clear-night", zzz},
    SymbolEntry{u"lightbulb.fill", u"emoji-objects"},
    SymbolEntry{u"circle.lefthalf.filled", {}, circleLeftHalfFilled},
    // Focus, idle and lock
    SymbolEntry{u"moon.fill", u"weather-clear-night"},
    SymbolEntry{u"moon.zzz.fill", u"weather-clear-night", zzz},
    SymbolEntry{u"cup.and.saucer.fill", {}, cupAndSaucer},
    SymbolEntry{u"lock.fill", u"changes-prevent"},
    SymbolEntry{u"lock.open.fill", u"changes-allow"},
    SymbolEntry{u"lock.shield", u"security-high"},
    // Media
    SymbolEntry{u"music.note", u"emblem-music"},
    SymbolEntry{u"music.mic", u"audio-input-microphone"},
    SymbolEntry{u"mic.fill", u"audio-input-microphone"},
    SymbolEntry{u"play.fill", u"media-playback-start"},
    SymbolEntry{u"pause.fill", u"media-playback-pause"},
    SymbolEntry{u"backward.fill", u"media-seek-backward"},
    SymbolEntry{u"forward.fill", u"media-seek-forward"},
    SymbolEntry{u"record.circle", {}, recordCircle},
    SymbolEntry{u"shazam.logo", {}, shazamLogo},
    SymbolEntry{u"video.fill", u"camera-video"},
    SymbolEntry{u"video.slash", u"camera-video", slash},
    SymbolEntry{u"camera.fill", u"camera-photo"},
    SymbolEntry{u"camera", u"camera-photo"},
    SymbolEntry{u"camera.viewfinder", u"applets-screenshooter"},
    SymbolEntry{u"photo", u"image-x-generic"},
    SymbolEntry{u"photo.fill", u"image-x-generic"},
    // Calendar, time and weather
    SymbolEntry{u"calendar", u"x-office-calendar"},
    SymbolEntry{u"calendar.badge.plus", u"x-office-calendar", badgePlus},
    SymbolEntry{u"calendar.badge.exclamationmark", u"x-office-calendar", badgeExclamationmark},
    SymbolEntry{u"timer", {}, timer},
    SymbolEntry{u"alarm", u"alarm"},
    SymbolEntry{u"stopwatch", {}, stopwatch},
    SymbolEntry{u"cloud.sun", u"weather-few-clouds"},
    SymbolEntry{u"cloud.sun.fill", u"weather-few-clouds"},
    SymbolEntry{u"cloud.slash", u"weather-overcast", slash},
    SymbolEntry{u"wind", u"weather-windy"},
    SymbolEntry{u"sun.max", u"weather-clear"},
    SymbolEntry{u"moon.stars", u"weather-clear-night"},
    SymbolEntry{u"cloud.moon", u"weather-few-clouds-night"},
    SymbolEntry{u"cloud", u"weather-overcast"},
    SymbolEntry{u"cloud.fog", {}, fog},
    SymbolEntry{u"cloud.drizzle", u"weather-showers-scattered"},
    SymbolEntry{u"cloud.rain", u"weather-showers"},
    SymbolEntry{u"cloud.snow", u"weather-snow"},
    SymbolEntry{u"cloud.bolt.rain", u"weather-storm"},
    SymbolEntry{u"thermometer", {}, thermometer},
    SymbolEntry{u"flame.fill", {}, flame},
    SymbolEntry{u"location", u"location-services-active"},
    SymbolEntry{u"location.slash", u"location-services-disabled"},
    SymbolEntry{u"map.fill", {}, mapFill},
    // Files, tray and pipelines
    SymbolEntry{u"tray.fill", {}, trayFill},
    SymbolEntry{u"tray.and.arrow.down", u"document-save"},
    SymbolEntry{u"tray.and.arrow.down.fill", u"document-save"},
    SymbolEntry{u"folder.fill", u"folder"},
    SymbolEntry{u"doc", u"text-x-generic"},
    SymbolEntry{u"doc.fill", u"text-x-generic"},
    SymbolEntry{u"doc.richtext", u"x-office-document"},
    SymbolEntry{u"doc.zipper", u"package-x-generic"},
    SymbolEntry{u"doc.on.clipboard", u"edit-paste"},
    SymbolEntry{u"doc.on.clipboard.fill", u"edit-paste"},
    SymbolEntry{u"arrow.down.doc", {}, arrowDownDoc},
    SymbolEntry{u"arrow.down.doc.fill", {}, arrowDownDocFill},
    SymbolEntry{u"arrow.up.bin", u"send-to"},
    SymbolEntry{u"arrow.down.circle", {}, arrowDownCircle},
    SymbolEntry{u"arrow.down.circle.fill", {}, arrowDownCircleFill},
    SymbolEntry{u"arrow.up.circle.fill", {}, arrowUpCircleFill},
    SymbolEntry{u"arrow.triangle.2.circlepath", u"emblem-synchronizing"},
    SymbolEntry{u"arrow.clockwise", u"view-refresh"},
    SymbolEntry{u"eye.slash", u"view-conceal"},
    SymbolEntry{u"textformat", u"format-text-rich"},
    SymbolEntry{u"text.alignleft", u"format-justify-left"},
    SymbolEntry{u"link", {}, link},
    SymbolEntry{u"dot.radiowaves.right", {}, dotRadiowavesRight},
    SymbolEntry{u"square.stack.3d.up.fill", {}, squareStack3dUp},
    SymbolEntry{u"trash", u"user-trash"},
    SymbolEntry{u"trash.fill", u"user-trash"},
    // Gestures and the notch
    SymbolEntry{u"arrow.left.arrow.right", {}, arrowLeftArrowRight},
    SymbolEntry{u"arrow.up.arrow.down", {}, arrowUpArrowDown},
    SymbolEntry{u"cursorarrow.click", {}, cursorArrowClick},
    SymbolEntry{u"hand.tap", u"preferences-desktop-accessibility"},
    SymbolEntry{u"rectangle.topthird.inset.filled", {}, rectangleTopThirdInset},
    SymbolEntry{u"rectangle.3.group.fill", {}, rectangle3Group},
    // Widgets, shortcuts and settings
    SymbolEntry{u"checklist", {}, checklist},
    SymbolEntry{u"note.text", u"accessories-text-editor"},
    SymbolEntry{u"sparkles", {}, sparkles},
    SymbolEntry{u"person.crop.circle", {}, personCropCircle},
    SymbolEntry{u"square.grid.2x2", u"view-grid"},
    SymbolEntry{u"square.grid.2x2.fill", u"view-grid"},
    SymbolEntry{u"gearshape.fill", u"emblem-system"},
    SymbolEntry{u"info.circle", u"help-about"},
    SymbolEntry{u"info.circle.fill", u"help-about"},
    SymbolEntry{u"hare.fill", u"power-profile-performance"},
    SymbolEntry{u"tortoise.fill", u"power-profile-power-saver"},
    SymbolEntry{u"house.fill", u"user-home"},
    SymbolEntry{u"envelope.fill", u"mail-unread"},
    SymbolEntry{u"message.fill", {}, messageFill},
    SymbolEntry{u"character.bubble", {}, characterBubble},
    SymbolEntry{u"magnifyingglass", u"system-search"},
    SymbolEntry{u"wifi", u"network-wireless"},
    SymbolEntry{u"airplane", u"airplane-mode"},
    // Marks and controls
    SymbolEntry{u"checkmark", u"object-select"},
    SymbolEntry{u"checkmark.circle", u"selection-mode"},
    SymbolEntry{u"checkmark.circle.fill", u"emblem-default"},
    SymbolEntry{u"xmark", u"window-close"},
    SymbolEntry{u"xmark.circle.fill", {}, xmarkCircleFill},
    SymbolEntry{u"plus", u"list-add"},
    SymbolEntry{u"plus.circle", {}, plusCircle},
    SymbolEntry{u"minus.circle.fill", {}, minusCircleFill},
    SymbolEntry{u"chevron.up", u"go-up"},
    SymbolEntry{u"chevron.down", u"go-down"},
    SymbolEntry{u"star", {}, starOutline},
    SymbolEntry{u"star.fill", u"starred"},
    SymbolEntry{u"questionmark", {}, questionmark},
    SymbolEntry{u"exclamationmark.triangle", u"dialog-warning"},
    SymbolEntry{u"exclamationmark.triangle.fill", u"dialog-warning"},
};

} // namespace

std::span<const SymbolEntry> symbolTable() {
    return table;
}

const SymbolEntry* findSymbol(QStringView name) {
    static const QHash<QStringView, const SymbolEntry*> index = [] {
        QHash<QStringView, const SymbolEntry*> byName;
        for (const SymbolEntry& entry : table)
            byName.insert(entry.name, &entry);
        return byName;
    }();
    return index.value(name, nullptr);
}

} // namespace vesk::symbols
