#pragma once

#include <QString>
#include <QUrl>

#include <optional>

namespace vesk {

// Finds the link that joins an online meeting (Zoom, Google Meet, Microsoft Teams,
// Webex, Jitsi Meet, Whereby) in an event's URL, location or notes. Any thread.
class MeetingLinkDetector {
public:
    // The link in the URL, else in the location, else in the notes; else the URL itself.
    std::optional<QUrl> detect(const std::optional<QUrl>& url, const std::optional<QString>& notes,
                               const std::optional<QString>& location) const;
    bool isMeetingLink(const QUrl& url) const;

    // The first link found in a text, trying the services in their fixed order.
    static std::optional<QUrl> find(const QString& text);
};

} // namespace vesk
