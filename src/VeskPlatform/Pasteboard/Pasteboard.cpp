#include "VeskPlatform/Pasteboard/Pasteboard.h"

#include <QMimeData>

namespace vesk {

QStringList Pasteboard::types() const {
    const QMimeData* mime = contents();
    return mime ? mime->formats() : QStringList();
}

bool Pasteboard::hasType(const QString& type) const {
    const QMimeData* mime = contents();
    return mime && mime->hasFormat(type);
}

QByteArray Pasteboard::data(const QString& type) const {
    const QMimeData* mime = contents();
    return mime ? mime->data(type) : QByteArray();
}

QList<QUrl> Pasteboard::urls() const {
    const QMimeData* mime = contents();
    return mime && mime->hasUrls() ? mime->urls() : QList<QUrl>();
}

QImage Pasteboard::image() const {
    const QMimeData* mime = contents();
    if (!mime || !mime->hasImage()) return {};
    return qvariant_cast<QImage>(mime->imageData());
}

QString Pasteboard::string() const {
    const QMimeData* mime = contents();
    return mime && mime->hasText() ? mime->text() : QString();
}

qint64 Pasteboard::setString(const QString& text) {
    auto* mime = new QMimeData;
    mime->setText(text);
    return setContents(mime);
}

qint64 Pasteboard::setUrls(const QList<QUrl>& urls) {
    auto* mime = new QMimeData;
    mime->setUrls(urls);
    return setContents(mime);
}

qint64 Pasteboard::setImage(const QImage& image) {
    auto* mime = new QMimeData;
    mime->setImageData(image);
    return setContents(mime);
}

} // namespace vesk
