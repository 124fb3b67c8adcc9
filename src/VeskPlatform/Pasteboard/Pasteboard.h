#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace vesk {

// A pasteboard: typed contents that others put there, and a change count that grows
// by at least one whenever the contents change (our own writes included), so pollers
// notice a change without comparing contents. Main thread only.
class Pasteboard {
public:
    virtual ~Pasteboard() = default;

    virtual qint64 changeCount() const = 0;
    // The current contents; null when there are none.
    virtual const QMimeData* contents() const = 0;
    // Replaces the contents (taking ownership; null clears them) and returns the new
    // change count, so a writer can recognise its own contents later.
    virtual qint64 setContents(QMimeData* data) = 0;

    // The MIME types (and other type names, such as markers) the contents carry.
    QStringList types() const;
    bool hasType(const QString& type) const;
    QByteArray data(const QString& type) const;
    // Every URL listed (text/uri-list), file URLs or not.
    QList<QUrl> urls() const;
    // The image, in whatever image format the contents offer; null when none decodes.
    QImage image() const;
    // The plain text; empty when there is none.
    QString string() const;

    qint64 clearContents() { return setContents(nullptr); }
    qint64 setString(const QString& text);
    qint64 setUrls(const QList<QUrl>& urls);
    qint64 setImage(const QImage& image);
};

} // namespace vesk
