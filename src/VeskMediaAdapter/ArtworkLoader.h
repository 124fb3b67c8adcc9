#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>

class QNetworkAccessManager;
class QNetworkReply;

namespace vesk::adapter {

// The artwork of one player, from its "mpris:artUrl": file and data URLs are read at
// once, https URLs fetched with a 3 s time-out. At most 4 MiB, and only bytes that
// are an image Qt can read; anything else leaves no artwork.
class ArtworkLoader : public QObject {
    Q_OBJECT
public:
    static constexpr qint64 largestArtwork = 4 * 1024 * 1024;

    explicit ArtworkLoader(QObject* parent = nullptr);
    ~ArtworkLoader() override;

    // Starts loading `url` unless it is the one already loaded or on its way.
    void request(const QString& url);

    QByteArray data() const { return m_data; }
    QString mimeType() const { return m_mimeType; }

    // The MIME type of image bytes Qt can read, or an empty string.
    static QString imageMimeType(const QByteArray& bytes);
    static QByteArray readLocalFile(const QString& path);
    static QByteArray decodeDataUrl(const QString& url);

Q_SIGNALS:
    // The artwork (or its absence) changed.
    void changed();

private:
    void settle(const QByteArray& bytes);
    void abortFetch();

    QString m_url;
    QByteArray m_data;
    QString m_mimeType;
    QPointer<QNetworkReply> m_reply;
};

} // namespace vesk::adapter
