// The tray's preview window with an image, a PDF, a text and a file it cannot show.
#include "Scenes.h"

#include "Vesk/Tray/TrayQuickLook.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

#include <cstdio>

namespace vesk::snapshot {

namespace {

QString makeImage(const QDir& folder) {
    QImage image(900, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 900, 600);
    gradient.setColorAt(0, QColor(0xE8, 0x9F, 0x5A));
    gradient.setColorAt(1, QColor(0x3D, 0x6E, 0x8C));
    painter.fillRect(image.rect(), gradient);
    painter.setPen(QPen(Qt::white, 12));
    painter.drawEllipse(QPoint(450, 300), 160, 160);
    painter.end();
    const QString path = folder.filePath(QStringLiteral("sunset.jpg"));
    image.save(path, "JPEG", 90);
    return path;
}

QString makePdf(const QDir& folder) {
    const QString path = folder.filePath(QStringLiteral("Quarterly report.pdf"));
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont title = painter.font();
    title.setPixelSize(28);
    painter.setFont(title);
    painter.drawText(QRect(60, 60, 480, 40), QStringLiteral("Quarterly report"));
    for (int i = 0; i < 12; ++i)
        painter.fillRect(QRect(60, 130 + i * 28, 300 + (i * 37) % 160, 10), QColor(0x99, 0x99, 0x99));
    return path;
}

QString makeText(const QDir& folder) {
    const QString path = folder.filePath(QStringLiteral("notes.txt"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("Shopping\n- coffee beans\n- oat milk\n\nCall the landlord about the radiator.\n");
    return path;
}

QString makeBinary(const QDir& folder) {
    const QString path = folder.filePath(QStringLiteral("backup.bin"));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(QByteArray(40'000, '\x01'));
    return path;
}

} // namespace

bool writePreviews(const QString& folder, double scale, const QString& only,
                   const std::function<bool(QWidget&, const QString&, double)>& write) {
    QTemporaryDir files;
    if (!files.isValid()) return false;
    const QDir dir(files.path());
    const QList<std::pair<QString, QString>> samples{{QStringLiteral("preview-image"), makeImage(dir)},
                                                     {QStringLiteral("preview-pdf"), makePdf(dir)},
                                                     {QStringLiteral("preview-text"), makeText(dir)},
                                                     {QStringLiteral("preview-nothing"), makeBinary(dir)}};
    bool ok = true;
    for (const auto& [name, path] : samples) {
        if (!only.isEmpty() && !name.contains(only)) continue;
        TrayQuickLook preview;
        preview.setAttribute(Qt::WA_DontShowOnScreen);
        preview.show({QUrl::fromLocalFile(path)}, 0);
        // The picture or text arrives from the preview's queue; a file it cannot show keeps the icon.
        const QDeadlineTimer deadline(name == QLatin1String("preview-nothing") ? 300 : 10000);
        while (preview.content() == TrayQuickLook::Content::icon && !deadline.hasExpired())
            QApplication::processEvents(QEventLoop::AllEvents, 20);
        ok = write(preview, QDir(folder).filePath(name + QStringLiteral(".png")), scale) && ok;
    }
    return ok;
}

} // namespace vesk::snapshot
