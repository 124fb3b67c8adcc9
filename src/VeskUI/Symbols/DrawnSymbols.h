#pragma once

#include "VeskUI/Symbols/SymbolCanvas.h"

// Symbols of our own, for names the icon theme has nothing fitting for, and overlays
// (badges, slashes) drawn over theme icons. Each draws on the 16 × 16 symbol grid.
namespace vesk::symbols::drawn {

// Shapes and devices
void airpods(SymbolCanvas& c);
void airpodsPro(SymbolCanvas& c);
void laptop(SymbolCanvas& c);
void hifiSpeaker(SymbolCanvas& c);
void cableConnector(SymbolCanvas& c);
void trayFill(SymbolCanvas& c);
void bolt(SymbolCanvas& c);
void boltBadgeA(SymbolCanvas& c);
void sunMin(SymbolCanvas& c);
void timer(SymbolCanvas& c);
void stopwatch(SymbolCanvas& c);
void checklist(SymbolCanvas& c);
void personCropCircle(SymbolCanvas& c);
void thermometer(SymbolCanvas& c);
void flame(SymbolCanvas& c);
void cupAndSaucer(SymbolCanvas& c);
void mapFill(SymbolCanvas& c);
void link(SymbolCanvas& c);
void messageFill(SymbolCanvas& c);
void characterBubble(SymbolCanvas& c);
void starOutline(SymbolCanvas& c);
void sparkles(SymbolCanvas& c);
void questionmark(SymbolCanvas& c);
void shazamLogo(SymbolCanvas& c);

// Arrows, circles and documents
void arrowDownCircle(SymbolCanvas& c);
void arrowDownCircleFill(SymbolCanvas& c);
void arrowUpCircleFill(SymbolCanvas& c);
void arrowDownDoc(SymbolCanvas& c);
void arrowDownDocFill(SymbolCanvas& c);
void arrowLeftArrowRight(SymbolCanvas& c);
void arrowUpArrowDown(SymbolCanvas& c);
void plusCircle(SymbolCanvas& c);
void minusCircleFill(SymbolCanvas& c);
void xmarkCircleFill(SymbolCanvas& c);
void recordCircle(SymbolCanvas& c);
void waveformCircle(SymbolCanvas& c);
void circleLeftHalfFilled(SymbolCanvas& c);

// Waves, pointers and layouts
void dotRadiowavesRight(SymbolCanvas& c);
void antennaRadiowaves(SymbolCanvas& c);
void airplayAudio(SymbolCanvas& c);
void cursorArrowClick(SymbolCanvas& c);
void rectangle3Group(SymbolCanvas& c);
void rectangleTopThirdInset(SymbolCanvas& c);
void squareStack3dUp(SymbolCanvas& c);

// Overlays for theme icons
void slash(SymbolCanvas& c);
void badgePlus(SymbolCanvas& c);
void badgeExclamationmark(SymbolCanvas& c);
void zzz(SymbolCanvas& c);
// Banks of fog: the theme's fog icon is drawn translucent, too faint once tinted.
void fog(SymbolCanvas& c);

// What unknown names get.
void placeholder(SymbolCanvas& c);

} // namespace vesk::symbols::drawn
