#pragma once

#include "VeskKit/Foundation/Date.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

namespace vesk {

// One file kept in the tray. Its JSON object (keys = field names) is an entry of
// the tray's "index.json".
struct TrayItem {
    QUuid id;
    // The source's own name, as the user knew it.
    QString displayName;
    // The tray's copy: <tray folder>/<id>/<displayName>.
    QString storedPath;
    // Where it was copied from; absent when it was moved in or made from pasted data,
    // that is when the tray holds the only copy.
    std::optional<QString> originalPath;
    std::optional<QByteArray> bookmark;
    QString utTypeIdentifier;
    qint64 byteSize = 0;
    Date addedAt;
    std::optional<QString> thumbnailPath;
    // Shared by the items added together in one call with several files.
    std::optional<QUuid> stackID;
    bool isDirectory = false;
    // Immediate entries of a folder, hidden ones included; 0 for a file.
    int childCount = 0;
    std::optional<bool> fromOtherDevice;

    friend bool operator==(const TrayItem&, const TrayItem&) = default;

    QUrl storedURL() const { return QUrl::fromLocalFile(storedPath); }
    // The identifier when it names a known type, else "public.data".
    QString utType() const;
    QString formattedSize() const;
    // A file's size; for a folder "1 item" / "N items", then " · " and the size when
    // the size is at least one byte.
    QString subtitle() const;

    QJsonObject toJson() const;
    // Absent (with the reason in `error`) when a required key is missing or any key
    // has the wrong form.
    static std::optional<TrayItem> fromJson(const QJsonObject& object, QString* error = nullptr);
};

} // namespace vesk
