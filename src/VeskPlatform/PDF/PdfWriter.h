#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <memory>

class QIODevice;

namespace vesk {

// A PDF document written page by page through cairo: each page is one picture at one
// point per pixel, finished before the next begins, so one picture is in memory at a
// time. Errors are sticky: after one, every call fails and finish() says why.
class PdfWriter {
public:
    // Writes into `device`, which stays open and must outlive the writer.
    explicit PdfWriter(QIODevice& device);
    ~PdfWriter();
    PdfWriter(const PdfWriter&) = delete;
    PdfWriter& operator=(const PdfWriter&) = delete;

    // A grey or RGB JPEG of `stored` size, embedded byte for byte; an Exif orientation
    // other than 1 turns the page's drawing, so the page stands upright. When `jpeg` does
    // not own its bytes, `keepAlive` does: it is held until the page no longer needs them.
    bool addJpegPage(const QByteArray& jpeg, const QSize& stored, int orientation,
                     std::shared_ptr<const void> keepAlive = {});
    // A decoded picture, upright; its alpha becomes a soft mask.
    bool addImagePage(const QImage& image);
    // Ends the document. False, with the reason, when anything failed.
    bool finish(QString* error = nullptr);
    int pageCount() const { return m_pages; }

private:
    struct Surface;
    bool failed() const;

    QIODevice& m_device;
    std::unique_ptr<Surface> m_surface;
    int m_pages = 0;
    QString m_error;
};

} // namespace vesk
