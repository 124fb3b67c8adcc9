#include "VeskServices/Calendar/MeetingLinkDetector.h"

#include <QRegularExpression>

#include <array>

namespace vesk {

namespace {

const std::array<QRegularExpression, 8>& patterns() {
    // Unicode properties, so that \s also ends a link at a no-break space.
    constexpr auto options =
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption;
    static const std::array<QRegularExpression, 8> expressions{
        QRegularExpression(QStringLiteral(R"(https://[a-zA-Z0-9.-]*zoom\.us/j/[^\s<>"']+)"), options),
        QRegularExpression(QStringLiteral(R"(https://[a-zA-Z0-9.-]*zoom\.us/my/[^\s<>"']+)"), options),
        QRegularExpression(QStringLiteral(R"(https://meet\.google\.com/[a-z-]+)"), options),
        QRegularExpression(QStringLiteral(R"(https://teams\.microsoft\.com/l/meetup-join/[^\s<>"']+)"),
                           options),
        QRegularExpression(QStringLiteral(R"(https://teams\.live\.com/meet/[^\s<>"']+)"), options),
        QRegularExpression(QStringLiteral(R"(https://[a-zA-Z0-9.-]*webex\.com/[^\s<>"']+)"), options),
        QRegularExpression(QStringLiteral(R"(https://meet\.jit\.si/[^\s<>"']+)"), options),
        QRegularExpression(QStringLiteral(R"(https://[a-zA-Z0-9.-]*whereby\.com/[^\s<>"']+)"), options),
    };
    return expressions;
}

QString trimmed(QString text) {
    static const QString trimming = QStringLiteral(".,;:)]}>\"'");
    qsizetype first = 0, last = text.size();
    while (first < last && trimming.contains(text.at(first)))
        ++first;
    while (last > first && trimming.contains(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

} // namespace

std::optional<QUrl> MeetingLinkDetector::find(const QString& text) {
    for (const QRegularExpression& pattern : patterns()) {
        const QRegularExpressionMatch match = pattern.match(text);
        if (!match.hasMatch()) continue;
        const QUrl url(trimmed(match.captured()), QUrl::StrictMode);
        if (url.isValid() && !url.scheme().isEmpty()) return url;
    }
    return std::nullopt;
}

std::optional<QUrl> MeetingLinkDetector::detect(const std::optional<QUrl>& url,
                                                const std::optional<QString>& notes,
                                                const std::optional<QString>& location) const {
    if (url)
        if (std::optional<QUrl> link = find(url->toString(QUrl::FullyEncoded))) return link;
    if (location)
        if (std::optional<QUrl> link = find(*location)) return link;
    if (notes)
        if (std::optional<QUrl> link = find(*notes)) return link;
    return url;
}

bool MeetingLinkDetector::isMeetingLink(const QUrl& url) const {
    return find(url.toString(QUrl::FullyEncoded)).has_value();
}

} // namespace vesk
