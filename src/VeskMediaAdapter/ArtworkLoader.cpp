#include "VeskMediaAdapter/ArtworkLoader.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QMimeDatabase>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QUrl>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk::adapter {

namespace {

QNetworkAccessManager& network() {
    static QNetworkAccessManager* manager = new QNetworkAccessManager;
    return *manager;
}

} // namespace

ArtworkLoader::ArtworkLoader(QObject* parent) : QObject(parent) {}

ArtworkLoader::~ArtworkLoader() {
    abortFetch();
}

QString ArtworkLoader::imageMimeType(const QByteArray& bytes) {
    if (bytes.isEmpty()) return {};
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead()) return {};
    const QString mime = QMimeDatabase().mimeTypeForData(bytes).name();
    if (mime.startsWith(QLatin1String("image/"))) return mime;
    return QStringLiteral("image/") + QString::fromLatin1(reader.format());
}

QByteArray ArtworkLoader::readLocalFile(const QString& path) {
    // Non-blocking, and only a regular file: a player naming a pipe or a device must
    // not hang or flood us.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat info {};
    QByteArray bytes;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size <= largestArtwork) {
        bytes.resize(qsizetype(info.st_size));
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
        bytes.truncate(done);
    }
    ::close(fd);
    return bytes;
}

QByteArray ArtworkLoader::decodeDataUrl(const QString& url) {
    // data:[<media type>][;base64],<data>
    const qsizetype comma = url.indexOf(QLatin1Char(','));
    if (!url.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) || comma < 0) return {};
    if (url.size() - comma > largestArtwork * 2) return {};
    const QString header = url.mid(5, comma - 5);
    const QByteArray body = url.mid(comma + 1).toLatin1();
    QByteArray bytes;
    if (header.endsWith(QLatin1String(";base64"), Qt::CaseInsensitive)) {
        auto decoded = QByteArray::fromBase64Encoding(body, QByteArray::AbortOnBase64DecodingErrors);
        if (decoded.decodingStatus != QByteArray::Base64DecodingStatus::Ok) return {};
        bytes = std::move(decoded.decoded);
    } else {
        bytes = QByteArray::fromPercentEncoding(body);
    }
    return bytes.size() <= largestArtwork ? bytes : QByteArray();
}

void ArtworkLoader::request(const QString& url) {
    if (url == m_url) return;
    abortFetch();
    m_url = url;
    const QUrl parsed(url);
    const QString scheme = parsed.scheme().toLower();
    if (scheme == QLatin1String("file")) {
        settle(readLocalFile(parsed.toLocalFile()));
    } else if (scheme == QLatin1String("data")) {
        settle(decodeDataUrl(url));
    } else if (scheme == QLatin1String("https")) {
        // Until the fetch ends, the previous track's picture must not stand for this one.
        settle({});
        QNetworkRequest request(parsed);
        request.setTransferTimeout(3000);
        QNetworkReply* reply = network().get(request);
        m_reply = reply;
        const auto tooLarge = [reply](qint64 received, qint64 total) {
            if (received > largestArtwork || total > largestArtwork) reply->abort();
        };
        connect(reply, &QNetworkReply::downloadProgress, this, tooLarge);
        connect(reply, &QNetworkReply::finished, this, [this, reply] {
            reply->deleteLater();
            if (reply != m_reply) return;
            m_reply = nullptr;
            const QByteArray bytes =
                reply->error() == QNetworkReply::NoError ? reply->read(largestArtwork + 1) : QByteArray();
            settle(bytes.size() <= largestArtwork ? bytes : QByteArray());
        });
    } else {
        settle({});
    }
}

void ArtworkLoader::settle(const QByteArray& bytes) {
    const QString mime = imageMimeType(bytes);
    const QByteArray data = mime.isEmpty() ? QByteArray() : bytes;
    if (data == m_data && mime == m_mimeType) return;
    m_data = data;
    m_mimeType = mime;
    Q_EMIT changed();
}

void ArtworkLoader::abortFetch() {
    if (!m_reply) return;
    QNetworkReply* reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

} // namespace vesk::adapter
