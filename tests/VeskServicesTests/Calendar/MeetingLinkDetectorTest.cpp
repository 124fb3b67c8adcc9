#include "VeskServices/Calendar/MeetingLinkDetector.h"

#include <gtest/gtest.h>

namespace vesk::test {
namespace {

std::optional<QString> text(const char* value) {
    if (!value) return std::nullopt;
    return QString::fromUtf8(value);
}

TEST(MeetingLinkDetectorTest, findsTheMeetingLinkOfAnEvent) {
    struct Case {
        const char* url;
        const char* notes;
        const char* location;
        const char* expected;
    };
    const Case cases[] = {
        {nullptr, "Join: https://zoom.us/j/123456.", nullptr, "https://zoom.us/j/123456"},
        {nullptr, "(https://acme.zoom.us/j/99?pwd=x)", nullptr, "https://acme.zoom.us/j/99?pwd=x"},
        {nullptr, "HTTPS://ZOOM.US/my/alice", nullptr, "HTTPS://ZOOM.US/my/alice"},
        {nullptr, "http://zoom.us/j/123", nullptr, nullptr},
        {nullptr, "https://meet.google.com/abc-defg-hij?authuser=0", nullptr,
         "https://meet.google.com/abc-defg-hij"},
        {nullptr, "https://x.meet.google.com/abc-defg-hij", nullptr, nullptr},
        {nullptr, "https://teams.microsoft.com/l/meetup-join/19%3ameeting then https://zoom.us/j/7", nullptr,
         "https://zoom.us/j/7"},
        {nullptr, "https://teams.live.com/meet/9391", nullptr, "https://teams.live.com/meet/9391"},
        {nullptr, "https://acme.webex.com/meet/bob", nullptr, "https://acme.webex.com/meet/bob"},
        {nullptr, "https://meet.jit.si/Standup'", nullptr, "https://meet.jit.si/Standup"},
        {nullptr, "<https://whereby.com/room>", nullptr, "https://whereby.com/room"},
        {nullptr, "https://zoom.us/j/1 and https://zoom.us/j/2", nullptr, "https://zoom.us/j/1"},
        // A no-break space ends a link as any space does.
        {nullptr, "https://zoom.us/j/555\u00a0(passcode 1)", nullptr, "https://zoom.us/j/555"},
        {nullptr, "https://zoom.us/j/1", "https://meet.jit.si/room", "https://meet.jit.si/room"},
        {"https://meet.google.com/xyz", "https://zoom.us/j/1", nullptr, "https://meet.google.com/xyz"},
        {"https://example.com/agenda", "https://zoom.us/j/1", nullptr, "https://zoom.us/j/1"},
        {"https://example.com/agenda", "no link here", "Room 4", "https://example.com/agenda"},
        {nullptr, nullptr, nullptr, nullptr},
    };
    const MeetingLinkDetector detector;
    for (const Case& c : cases) {
        const std::optional<QUrl> url =
            c.url ? std::make_optional(QUrl(QString::fromUtf8(c.url))) : std::optional<QUrl>();
        const std::optional<QUrl> found = detector.detect(url, text(c.notes), text(c.location));
        const std::optional<QUrl> expected =
            c.expected ? std::make_optional(QUrl(QString::fromUtf8(c.expected))) : std::optional<QUrl>();
        EXPECT_EQ(found, expected) << (c.notes ? c.notes : "-");
    }
    EXPECT_TRUE(detector.isMeetingLink(QUrl(QStringLiteral("https://teams.live.com/meet/1"))));
    EXPECT_FALSE(detector.isMeetingLink(QUrl(QStringLiteral("https://example.com/meet/1"))));
}

} // namespace
} // namespace vesk::test
