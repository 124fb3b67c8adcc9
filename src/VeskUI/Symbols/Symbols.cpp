#include "VeskUI/Symbols/Symbols.h"

#include "VeskKit/Diagnostics/TraceLog.h"
#include "VeskUI/Symbols/DrawnSymbols.h"
#include "VeskUI/Symbols/SymbolTable.h"

#include <QCache>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QIconEngine>
#include <QMutex>
#include <QPainter>
#include <QSet>
#include <QStandardPaths>
#include <QSvgRenderer>

#include <cmath>

namespace vesk {

namespace {

constexpr int maxImagePixels = 1024;

struct State {
    QMutex mutex;
    QStringList searchPaths;
    bool indexed = false;
    QHash<QString, QString> iconFiles; // theme icon name -> file
    QHash<QString, QByteArray> svgData;
    QCache<QString, QImage> images{8 * 1024 * 1024};
    QSet<QString> reported;
};

State& state() {
    static State s;
    return s;
}

QStringList defaultSearchPaths() {
    QStringList paths;
    for (const QString& dir : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        paths << dir + QStringLiteral("/icons");
    return paths;
}

// Finds every symbolic icon of the theme: "scalable/<context>/" in older layouts,
// "symbolic/<context>/" in newer ones. Earlier folders win, as in the XDG lookup.
void indexTheme(State& s) {
    if (s.indexed) return;
    s.indexed = true;
    const QString suffix = QStringLiteral("-symbolic.svg");
    const QStringList roots = s.searchPaths.isEmpty() ? defaultSearchPaths() : s.searchPaths;
    for (const QString& root : roots) {
        for (const QString& layout : {QStringLiteral("scalable"), QStringLiteral("symbolic")}) {
            QDirIterator it(root + u'/' + Symbols::themeName() + u'/' + layout, {u'*' + suffix}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QString name = QFileInfo(path).fileName();
                name.chop(suffix.size());
                if (!s.iconFiles.contains(name)) s.iconFiles.insert(name, path);
            }
        }
    }
}

// Under the lock.
QString iconFile(State& s, QStringView themeIcon) {
    indexTheme(s);
    return s.iconFiles.value(themeIcon.toString());
}

void reportOnce(State& s, const QString& key, const QString& message) {
    if (s.reported.contains(key)) return;
    s.reported.insert(key);
    TraceLog::trace(message);
}

// Under the lock. The symbol's coverage, in black, on a transparent square.
QImage renderCoverage(State& s, QStringView name, int pixels) {
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    const symbols::SymbolEntry* entry = symbols::findSymbol(name);
    bool usable = entry != nullptr;
    if (!entry) {
        reportOnce(s, name.toString(),
                   QStringLiteral("symbols: no symbol named \"%1\"; drawing a placeholder").arg(name));
    } else if (!entry->themeIcon.isEmpty()) {
        const QString file = iconFile(s, entry->themeIcon);
        auto data = s.svgData.find(file);
        if (!file.isEmpty() && data == s.svgData.end()) {
            QFile svg(file);
            data = s.svgData.insert(file, svg.open(QIODevice::ReadOnly) ? svg.readAll() : QByteArray());
        }
        QSvgRenderer renderer(file.isEmpty() ? QByteArray() : *data);
        if (renderer.isValid()) {
            renderer.setAspectRatioMode(Qt::KeepAspectRatio);
            renderer.render(&painter, QRectF(0, 0, pixels, pixels));
        } else {
            usable = false;
            reportOnce(s, entry->themeIcon.toString(),
                       QStringLiteral("symbols: the %1 icon theme has no usable %2-symbolic for \"%3\"; "
                                      "drawing a placeholder")
                           .arg(Symbols::themeName(), entry->themeIcon, name));
        }
    }

    painter.scale(pixels / 16.0, pixels / 16.0);
    symbols::SymbolCanvas canvas(painter);
    if (!usable)
        symbols::drawn::placeholder(canvas);
    else if (entry->draw)
        entry->draw(canvas);
    return image;
}

class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor color) : m_name(std::move(name)), m_color(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        Symbols::paint(*painter, rect, m_name, colorFor(mode));
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return QPixmap::fromImage(
            Symbols::image(m_name, std::min(size.width(), size.height()), colorFor(mode)));
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        return QPixmap::fromImage(
            Symbols::image(m_name, std::min(size.width(), size.height()) / scale, colorFor(mode), scale));
    }
    QIconEngine* clone() const override { return new SymbolIconEngine(m_name, m_color); }
    QString key() const override { return QStringLiteral("VeskSymbol"); }
    QString iconName() override { return m_name; }

private:
    QColor colorFor(QIcon::Mode mode) const {
        QColor color = m_color;
        if (mode == QIcon::Disabled) color.setAlphaF(color.alphaF() * 0.4f);
        return color;
    }

    QString m_name;
    QColor m_color;
};

} // namespace

QStringList Symbols::names() {
    QStringList all;
    for (const symbols::SymbolEntry& entry : symbols::symbolTable())
        all << entry.name.toString();
    return all;
}

bool Symbols::contains(QStringView name) {
    return symbols::findSymbol(name) != nullptr;
}

Symbols::Source Symbols::source(QStringView name) {
    const symbols::SymbolEntry* entry = symbols::findSymbol(name);
    if (!entry) return Source::placeholder;
    if (entry->themeIcon.isEmpty()) return Source::drawn;
    if (themeIconPath(name).isEmpty()) return Source::placeholder;
    return entry->draw ? Source::themeWithOverlay : Source::theme;
}

QString Symbols::themeIconPath(QStringView name) {
    const symbols::SymbolEntry* entry = symbols::findSymbol(name);
    if (!entry || entry->themeIcon.isEmpty()) return {};
    State& s = state();
    QMutexLocker lock(&s.mutex);
    return iconFile(s, entry->themeIcon);
}

QImage Symbols::image(QStringView name, double side, const QColor& color, qreal devicePixelRatio) {
    const double dpr = std::isfinite(devicePixelRatio) && devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const double wanted = std::isfinite(side) ? side * dpr : 0;
    const int pixels = std::clamp(static_cast<int>(std::ceil(wanted - 1e-6)), 1, maxImagePixels);

    State& s = state();
    QMutexLocker lock(&s.mutex);
    const QString key = name + u'|' + QString::number(pixels) + u'|' + QString::number(color.rgba64(), 16);
    if (const QImage* cached = s.images.object(key)) {
        QImage copy = *cached;
        copy.setDevicePixelRatio(dpr);
        return copy;
    }
    QImage tinted = renderCoverage(s, name, pixels);
    {
        QPainter painter(&tinted);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(tinted.rect(), color);
    }
    s.images.insert(key, new QImage(tinted), static_cast<int>(tinted.sizeInBytes()));
    tinted.setDevicePixelRatio(dpr);
    return tinted;
}

void Symbols::paint(QPainter& painter, const QRectF& rect, QStringView name, const QColor& color) {
    const double side = std::min(rect.width(), rect.height());
    if (!(side > 0)) return;
    const QRectF square(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    const qreal deviceRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal scale = std::sqrt(std::abs(painter.worldTransform().determinant()));
    const QImage symbol = image(name, side, color, deviceRatio * (scale > 0 ? scale : 1.0));
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(square, symbol);
    painter.restore();
}

void Symbols::paintForFontSize(QPainter& painter, const QRectF& area, double fontSize, QStringView name,
                               const QColor& color) {
    const double side = sideForFontSize(fontSize);
    paint(painter,
          QRectF(area.x() + (area.width() - side) / 2, area.y() + (area.height() - side) / 2, side, side),
          name, color);
}

QIcon Symbols::icon(const QString& name, const QColor& color) {
    return QIcon(new SymbolIconEngine(name, color));
}

QStringList Symbols::themeSearchPaths() {
    State& s = state();
    QMutexLocker lock(&s.mutex);
    return s.searchPaths.isEmpty() ? defaultSearchPaths() : s.searchPaths;
}

void Symbols::setThemeSearchPaths(const QStringList& paths) {
    State& s = state();
    QMutexLocker lock(&s.mutex);
    s.searchPaths = paths;
    s.indexed = false;
    s.iconFiles.clear();
    s.svgData.clear();
    s.images.clear();
}

} // namespace vesk
