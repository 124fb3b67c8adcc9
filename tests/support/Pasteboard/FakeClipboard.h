#pragma once

#include "VeskPlatform/Pasteboard/ClipboardReader.h"
#include "VeskPlatform/Pasteboard/Pasteboard.h"

#include <QBuffer>
#include <QImage>
#include <QMap>
#include <QMimeData>

#include <memory>

namespace vesk::test {

// One clipboard seen two ways: the Pasteboard the program writes and counts, and the
// ClipboardReader it reads by the type names an X11 owner offers.
class FakeClipboard final : public Pasteboard, public ClipboardReader {
public:
    using Contents = QMap<QString, QByteArray>;

    // Another program copies.
    void copy(const Contents& contents) {
        m_contents = contents;
        ++m_changeCount;
    }
    static Contents text(const QByteArray& utf8) { return {{QStringLiteral("UTF8_STRING"), utf8}}; }
    static QByteArray encoded(const QImage& image, const char* format = "PNG") {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, format);
        return bytes;
    }

    QStringList asked;   // types asked for with data(), in order
    const Contents& current() const { return m_contents; }

    qint64 changeCount() const override { return m_changeCount; }
    const QMimeData* contents() const override { return m_mime.get(); }
    qint64 setContents(QMimeData* data) override {
        m_mime.reset(data);
        m_contents.clear();
        if (data && data->hasUrls())
            m_contents.insert(QStringLiteral("text/uri-list"), data->data(QStringLiteral("text/uri-list")));
        else if (data && data->hasImage())
            m_contents.insert(QStringLiteral("image/png"), encoded(qvariant_cast<QImage>(data->imageData())));
        else if (data && data->hasText())
            m_contents.insert(QStringLiteral("UTF8_STRING"), data->text().toUtf8());
        return ++m_changeCount;
    }

    QStringList types() override { return m_contents.keys(); }
    ClipboardData data(const QString& type, qint64 limit) override {
        asked << type;
        if (!m_contents.contains(type)) return {};
        if (m_contents[type].size() > limit) return {ClipboardData::Status::tooLarge, {}};
        return {ClipboardData::Status::ok, m_contents[type]};
    }

private:
    Contents m_contents;
    std::unique_ptr<QMimeData> m_mime;
    qint64 m_changeCount = 1;
};

} // namespace vesk::test
