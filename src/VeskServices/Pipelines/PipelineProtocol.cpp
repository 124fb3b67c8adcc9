#include "VeskServices/Pipelines/PipelineProtocol.h"

#include <QJsonDocument>
#include <QJsonParseError>

#include <cstring>

namespace vesk::pipeline_protocol {

namespace {

constexpr std::pair<PipelineError::Kind, const char*> errorKinds[] = {
    {PipelineError::Kind::readFailed, "readFailed"}, {PipelineError::Kind::writeFailed, "writeFailed"},
    {PipelineError::Kind::toolFailed, "toolFailed"}, {PipelineError::Kind::unsupported, "unsupported"},
    {PipelineError::Kind::noInput, "noInput"},
};

} // namespace

QByteArray line(const QJsonObject& message) {
    return QJsonDocument(message).toJson(QJsonDocument::Compact) + '\n';
}

QJsonObject toJson(const PipelineFailure& failure) {
    if (const auto* error = std::get_if<PipelineError>(&failure)) {
        for (const auto& [kind, name] : errorKinds)
            if (kind == error->kind)
                return {{QStringLiteral("kind"), QLatin1String(name)},
                        {QStringLiteral("payload"), error->payload}};
    }
    return {{QStringLiteral("kind"), QStringLiteral("fileSystem")},
            {QStringLiteral("payload"), message(failure)}};
}

PipelineFailure failureFromJson(const QJsonObject& error) {
    const QString kind = error.value(QStringLiteral("kind")).toString();
    const QString payload = error.value(QStringLiteral("payload")).toString();
    for (const auto& [value, name] : errorKinds)
        if (kind == QLatin1String(name)) return PipelineError{value, payload};
    return FileSystemError{payload};
}

QJsonObject toJson(quint64 id, const std::optional<Rendered>& rendered) {
    QJsonObject message{{QStringLiteral("type"), QStringLiteral("rendered")},
                        {QStringLiteral("id"), double(id)}};
    if (!rendered || rendered->picture.isNull()) {
        message.insert(QStringLiteral("kind"), QStringLiteral("none"));
        return message;
    }
    const QImage picture = rendered->picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    message.insert(QStringLiteral("kind"),
                   rendered->kind == Rendered::Kind::pdf ? QStringLiteral("pdf") : QStringLiteral("image"));
    message.insert(QStringLiteral("width"), picture.width());
    message.insert(QStringLiteral("height"), picture.height());
    QByteArray pixels;
    pixels.reserve(qsizetype(picture.width()) * picture.height() * 4);
    for (int y = 0; y < picture.height(); ++y)
        pixels.append(reinterpret_cast<const char*>(picture.constScanLine(y)),
                      qsizetype(picture.width()) * 4);
    message.insert(QStringLiteral("pixels"), QString::fromLatin1(pixels.toBase64()));
    return message;
}

std::optional<Rendered> renderedFromJson(const QJsonObject& message, const QSize& bound) {
    const QString kind = message.value(QStringLiteral("kind")).toString();
    if (kind != QLatin1String("image") && kind != QLatin1String("pdf")) return std::nullopt;
    const int width = message.value(QStringLiteral("width")).toInt();
    const int height = message.value(QStringLiteral("height")).toInt();
    if (width <= 0 || height <= 0 || width > bound.width() || height > bound.height()) return std::nullopt;
    const QByteArray pixels =
        QByteArray::fromBase64(message.value(QStringLiteral("pixels")).toString().toLatin1());
    if (pixels.size() != qsizetype(width) * height * 4) return std::nullopt;
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < height; ++y)
        std::memcpy(picture.scanLine(y), pixels.constData() + qsizetype(y) * width * 4,
                    std::size_t(width) * 4);
    return Rendered{kind == QLatin1String("pdf") ? Rendered::Kind::pdf : Rendered::Kind::image, picture};
}

QList<QJsonObject> LineReader::read(const QByteArray& bytes) {
    QList<QJsonObject> messages;
    m_buffer.append(bytes);
    qsizetype start = 0;
    for (qsizetype end = m_buffer.indexOf('\n'); end >= 0; end = m_buffer.indexOf('\n', start)) {
        if (!m_discarding) {
            QJsonParseError error{};
            const QJsonDocument document = QJsonDocument::fromJson(m_buffer.mid(start, end - start), &error);
            if (error.error == QJsonParseError::NoError && document.isObject())
                messages.append(document.object());
        }
        m_discarding = false;
        start = end + 1;
    }
    m_buffer.remove(0, start);
    if (m_buffer.size() > m_limit) {
        // The rest of this line is dropped when its end comes.
        m_buffer.clear();
        m_discarding = true;
    }
    return messages;
}

} // namespace vesk::pipeline_protocol
