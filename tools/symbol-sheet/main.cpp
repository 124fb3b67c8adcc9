// symbol-sheet [output.png]: draws every system symbol at three sizes, light on the
// notch's black, with its name and where it comes from (theme, drawn, theme + drawn
// overlay, or placeholder), so a person can check that each one reads as it should.
// Writes build/symbol-sheet.png beside the binary's folder unless told otherwise.
#include "VeskUI/Symbols/Symbols.h"
#include "VeskUI/Tokens/Typography.h"
#include "VeskUI/Tokens/Vesk.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>

using namespace vesk;

namespace {

QString sourceLabel(Symbols::Source source) {
    switch (source) {
    case Symbols::Source::theme:
        return QStringLiteral("theme");
    case Symbols::Source::drawn:
        return QStringLiteral("drawn");
    case Symbols::Source::themeWithOverlay:
        return QStringLiteral("theme + drawn");
    case Symbols::Source::placeholder:
        return QStringLiteral("PLACEHOLDER");
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString output =
        argc > 1 ? QString::fromLocal8Bit(argv[1])
                 : QCoreApplication::applicationDirPath() + QStringLiteral("/../symbol-sheet.png");

    const QStringList names = Symbols::names();
    const int columns = 8;
    const QSizeF cell(170, 104);
    const int rows = static_cast<int>((names.size() + columns - 1) / columns);
    QImage sheet(QSize(columns * cell.width(), rows * cell.height()) * 2,
                 QImage::Format_ARGB32_Premultiplied);
    sheet.setDevicePixelRatio(2);
    sheet.fill(Vesk::Ink::x1000);

    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    int placeholders = 0;
    for (int i = 0; i < names.size(); ++i) {
        const QPointF origin((i % columns) * cell.width(), (i / columns) * cell.height());
        const QString& name = names[i];
        const Symbols::Source source = Symbols::source(name);
        if (source == Symbols::Source::placeholder) ++placeholders;
        if (i % 2 == 1) painter.fillRect(QRectF(origin, cell), Vesk::Ink::x900);

        Symbols::paint(painter, QRectF(origin + QPointF(14, 10), QSizeF(44, 44)), name, Vesk::Stone::x100);
        Symbols::paint(painter,
                       QRectF(origin + QPointF(72, 20),
                              QSizeF(Symbols::sideForFontSize(14), Symbols::sideForFontSize(14))),
                       name, Vesk::Semantic::amber);
        Symbols::paint(painter,
                       QRectF(origin + QPointF(104, 23),
                              QSizeF(Symbols::sideForFontSize(10), Symbols::sideForFontSize(10))),
                       name, Vesk::Accent::x500);

        painter.setPen(Vesk::Stone::x200);
        painter.setFont(systemFont(10, QFont::Medium));
        painter.drawText(QRectF(origin + QPointF(6, 60), QSizeF(cell.width() - 12, 16)), Qt::AlignLeft, name);
        painter.setPen(source == Symbols::Source::placeholder ? Vesk::Semantic::oxblood : Vesk::Stone::x400);
        painter.setFont(systemFont(9));
        painter.drawText(QRectF(origin + QPointF(6, 78), QSizeF(cell.width() - 12, 14)), Qt::AlignLeft,
                         sourceLabel(source));
    }
    painter.end();

    if (!sheet.save(output)) {
        std::fprintf(stderr, "symbol-sheet: cannot write %s\n", qPrintable(output));
        return 1;
    }
    std::printf("symbol-sheet: %lld symbols (%d placeholders) written to %s\n",
                static_cast<long long>(names.size()), placeholders, qPrintable(QDir::cleanPath(output)));
    return placeholders == 0 ? 0 : 1;
}
