#pragma once

#include "VeskKit/Foundation/Date.h"
#include "VeskKit/Foundation/RawEnum.h"

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <array>
#include <optional>
#include <string_view>
#include <utility>

namespace vesk {

// One entry of the clipboard history, identified by `id`.
struct Clip {
    enum class Kind { text, url, image, file };

    QUuid id;
    Kind kind = Kind::text;
    // Text and url: the copied string as read; file: the file's name; image: "Image".
    QString text;
    // Image: its PNG in the history's folder; file: the copied file itself.
    std::optional<QString> storedPath;
    Date copiedAt;
    // The application in front when the clip was read.
    std::optional<QString> sourceApp;

    // The symbol drawn in the clip's row.
    QString symbol() const;
    // The row's one line: white space collapsed, at most 120 characters and an ellipsis.
    QString preview() const;

    // The object stored in "clipboard.json"; fromJson gives nothing when a key is
    // missing or of the wrong form, or the kind is unknown.
    QJsonObject toJson() const;
    static std::optional<Clip> fromJson(const QJsonObject& object);

    friend bool operator==(const Clip&, const Clip&) = default;
};

template <> struct RawEnumTable<Clip::Kind> {
    static constexpr std::array<std::pair<Clip::Kind, std::string_view>, 4> entries{{
        {Clip::Kind::text, "text"},
        {Clip::Kind::url, "url"},
        {Clip::Kind::image, "image"},
        {Clip::Kind::file, "file"},
    }};
};

} // namespace vesk
