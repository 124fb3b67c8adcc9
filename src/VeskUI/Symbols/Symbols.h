#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QRectF>
#include <QStringList>
#include <QStringView>

class QPainter;

namespace vesk {

// System symbols by the names the product uses ("speaker.wave.2.fill", "airpods.gen3",
// ...), drawn as one-colour icons at any size and tint. Each name is an Adwaita symbolic
// icon (adwaita-icon-theme, rendered through Qt Svg), a drawing of our own where the
// theme has nothing fitting, or our drawing over a theme icon (badges, slashes). A
// name not in the table, or whose theme icon is missing on this machine, draws a
// neutral placeholder and is reported once in the trace. Rendered images are cached.
// Safe to call from any thread.
class Symbols {
public:
    enum class Source { theme, drawn, themeWithOverlay, placeholder };

    // Every name in the table, in table order.
    static QStringList names();
    static bool contains(QStringView name);
    // What `name` draws with on this machine.
    static Source source(QStringView name);
    // The theme icon file `name` is drawn from; empty when none is used.
    static QString themeIconPath(QStringView name);

    // The side of the square a symbol takes beside text of `fontSize`.
    static double sideForFontSize(double fontSize) { return fontSize * 1.2; }

    // The symbol in `color` on a transparent square `side` device-independent pixels
    // wide, at `devicePixelRatio`.
    static QImage image(QStringView name, double side, const QColor& color, qreal devicePixelRatio = 1.0);
    // Draws the symbol in `color`, as a square centred in `rect` as large as fits.
    static void paint(QPainter& painter, const QRectF& rect, QStringView name, const QColor& color);
    // Draws the symbol in `color` at the side it takes beside text of `fontSize`, centred
    // in `area` (and spilling over it where the area is smaller).
    static void paintForFontSize(QPainter& painter, const QRectF& area, double fontSize, QStringView name,
                                 const QColor& color);
    // An icon for menus and the tray, sharp at every size.
    static QIcon icon(const QString& name, const QColor& color);

    static QString themeName() { return QStringLiteral("Adwaita"); }
    // Folders holding icon themes; by default "icons" under every XDG data folder.
    static QStringList themeSearchPaths();
    // Looks for themes in `paths` instead (empty restores the default); clears caches.
    static void setThemeSearchPaths(const QStringList& paths);
};

} // namespace vesk
