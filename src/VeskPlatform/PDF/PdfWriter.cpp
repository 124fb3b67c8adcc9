#include "VeskPlatform/PDF/PdfWriter.h"

#include <QIODevice>

#include <cairo-pdf.h>
#include <cairo.h>

#include <algorithm>
#include <cstring>

namespace vesk {

namespace {

// A picture's bytes come in one call; they go out in writes of at most 1 MiB, since one
// write of a whole photo makes the kernel gather large page-cache pages for it.
cairo_status_t writeToDevice(void* closure, const unsigned char* data, unsigned int length) {
    auto* device = static_cast<QIODevice*>(closure);
    constexpr qint64 most = qint64(1) << 20;
    const char* next = reinterpret_cast<const char*>(data);
    qint64 left = qint64(length);
    while (left > 0) {
        const qint64 piece = std::min(left, most);
        if (device->write(next, piece) != piece) return CAIRO_STATUS_WRITE_ERROR;
        next += piece;
        left -= piece;
    }
    return CAIRO_STATUS_SUCCESS;
}

// Maps the stored picture (w x h) onto the upright page for an Exif orientation.
cairo_matrix_t orientationMatrix(int orientation, double w, double h) {
    cairo_matrix_t m;
    switch (orientation) {
    case 2:
        cairo_matrix_init(&m, -1, 0, 0, 1, w, 0);
        break;
    case 3:
        cairo_matrix_init(&m, -1, 0, 0, -1, w, h);
        break;
    case 4:
        cairo_matrix_init(&m, 1, 0, 0, -1, 0, h);
        break;
    case 5:
        cairo_matrix_init(&m, 0, 1, 1, 0, 0, 0);
        break;
    case 6:
        cairo_matrix_init(&m, 0, 1, -1, 0, h, 0);
        break;
    case 7:
        cairo_matrix_init(&m, 0, -1, -1, 0, h, w);
        break;
    case 8:
        cairo_matrix_init(&m, 0, -1, 1, 0, 0, w);
        break;
    default:
        cairo_matrix_init_identity(&m);
        break;
    }
    return m;
}

// What a page's picture holds on to until cairo lets its bytes go.
struct HeldBytes {
    QByteArray bytes;
    std::shared_ptr<const void> keepAlive;
};

void releaseBytes(void* data) {
    delete static_cast<HeldBytes*>(data);
}

} // namespace

struct PdfWriter::Surface {
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;
    ~Surface() {
        if (cr) cairo_destroy(cr);
        if (surface) cairo_surface_destroy(surface);
    }
};

PdfWriter::PdfWriter(QIODevice& device) : m_device(device), m_surface(std::make_unique<Surface>()) {
    // The size is set again for every page.
    m_surface->surface = cairo_pdf_surface_create_for_stream(writeToDevice, &m_device, 1, 1);
    m_surface->cr = cairo_create(m_surface->surface);
}

PdfWriter::~PdfWriter() = default;

bool PdfWriter::failed() const {
    return !m_error.isEmpty() || cairo_status(m_surface->cr) != CAIRO_STATUS_SUCCESS;
}

bool PdfWriter::addJpegPage(const QByteArray& jpeg, const QSize& stored, int orientation,
                            std::shared_ptr<const void> keepAlive) {
    if (failed()) return false;
    const double w = stored.width(), h = stored.height();
    const bool turned = orientation >= 5 && orientation <= 8;
    cairo_pdf_surface_set_size(m_surface->surface, turned ? h : w, turned ? w : h);

    // A one-pixel opaque surface carrying the JPEG, scaled to the picture's size: cairo
    // embeds the JPEG's bytes and never reads the pixels, and a surface of the picture's
    // own size would cost a copy of all of them (its snapshot) on every page.
    cairo_surface_t* picture = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1);
    auto* held = new HeldBytes{jpeg, std::move(keepAlive)};
    const cairo_status_t attached = cairo_surface_set_mime_data(
        picture, CAIRO_MIME_TYPE_JPEG, reinterpret_cast<const unsigned char*>(held->bytes.constData()),
        static_cast<unsigned long>(held->bytes.size()), releaseBytes, held);
    if (attached != CAIRO_STATUS_SUCCESS) releaseBytes(held);

    cairo_t* cr = m_surface->cr;
    cairo_save(cr);
    const cairo_matrix_t matrix = orientationMatrix(orientation, w, h);
    cairo_transform(cr, &matrix);
    cairo_scale(cr, w, h);
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_show_page(cr);
    // Released only once the page is out: the page keeps a copy-on-write snapshot of the
    // picture until then, and letting the picture go earlier copies all its pixels.
    cairo_surface_destroy(picture);
    ++m_pages;
    if (attached != CAIRO_STATUS_SUCCESS) m_error = QString::fromUtf8(cairo_status_to_string(attached));
    return !failed();
}

bool PdfWriter::addImagePage(const QImage& image) {
    if (failed()) return false;
    const bool alpha = image.hasAlphaChannel();
    cairo_surface_t* picture = cairo_image_surface_create(alpha ? CAIRO_FORMAT_ARGB32 : CAIRO_FORMAT_RGB24,
                                                          image.width(), image.height());
    if (cairo_surface_status(picture) != CAIRO_STATUS_SUCCESS) {
        m_error = QString::fromUtf8(cairo_status_to_string(cairo_surface_status(picture)));
        cairo_surface_destroy(picture);
        return false;
    }
    // Cairo's formats are Qt's premultiplied ARGB32 and RGB32, row for row.
    const QImage pixels =
        image.convertToFormat(alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    cairo_surface_flush(picture);
    unsigned char* data = cairo_image_surface_get_data(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    const size_t row = size_t(pixels.width()) * 4;
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(data + size_t(y) * size_t(stride), pixels.constScanLine(y), row);
    cairo_surface_mark_dirty(picture);

    cairo_pdf_surface_set_size(m_surface->surface, image.width(), image.height());
    cairo_t* cr = m_surface->cr;
    cairo_set_source_surface(cr, picture, 0, 0);
    cairo_paint(cr);
    cairo_show_page(cr);
    cairo_surface_destroy(picture);
    ++m_pages;
    return !failed();
}

bool PdfWriter::finish(QString* error) {
    if (m_error.isEmpty()) {
        cairo_surface_finish(m_surface->surface);
        const cairo_status_t status = cairo_surface_status(m_surface->surface);
        if (status != CAIRO_STATUS_SUCCESS)
            m_error = QString::fromUtf8(cairo_status_to_string(status));
        else if (cairo_status(m_surface->cr) != CAIRO_STATUS_SUCCESS)
            m_error = QString::fromUtf8(cairo_status_to_string(cairo_status(m_surface->cr)));
    }
    if (error) *error = m_error;
    return m_error.isEmpty();
}

} // namespace vesk
