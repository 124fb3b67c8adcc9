#include "VeskPlatform/ImageIO/Heif.h"

#include <QColorSpace>
#include <QFile>

#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace vesk::imageio::heif {

namespace {

struct ContextDeleter {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct EncoderDeleter {
    void operator()(heif_encoder* e) const { heif_encoder_release(e); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using Image = std::unique_ptr<heif_image, ImageDeleter>;
using Encoder = std::unique_ptr<heif_encoder, EncoderDeleter>;

bool failed(const heif_error& status, QString* error) {
    if (status.code == heif_error_Ok) return false;
    if (error) *error = QString::fromUtf8(status.message);
    return true;
}

QByteArray exifOf(heif_image_handle* handle) {
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1) return {};
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4) return {};
    QByteArray block(qsizetype(size), Qt::Uninitialized);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok) return {};
    // The block starts with the big-endian offset of the TIFF header after these 4 bytes.
    const auto* b = reinterpret_cast<const unsigned char*>(block.constData());
    const quint32 offset = (quint32(b[0]) << 24) | (quint32(b[1]) << 16) | (quint32(b[2]) << 8) | b[3];
    if (offset > size - 4) return {};
    return block.mid(qsizetype(4 + offset));
}

QColorSpace colourSpaceOf(heif_image_handle* handle) {
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return {};
    QByteArray icc(qsizetype(heif_image_handle_get_raw_color_profile_size(handle)), Qt::Uninitialized);
    if (icc.isEmpty() || heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return {};
    return QColorSpace::fromIccProfile(icc);
}

} // namespace

bool isHeif(const QByteArray& head) {
    if (head.size() < 12) return false;
    const heif_filetype_result result =
        heif_check_filetype(reinterpret_cast<const uint8_t*>(head.constData()), int(head.size()));
    return result == heif_filetype_yes_supported;
}

std::optional<Decoded> decode(const QString& path, QString* error) {
    Context context(heif_context_alloc());
    if (failed(heif_context_read_from_file(context.get(), QFile::encodeName(path).constData(), nullptr),
               error))
        return std::nullopt;
    heif_image_handle* rawHandle = nullptr;
    if (failed(heif_context_get_primary_image_handle(context.get(), &rawHandle), error)) return std::nullopt;
    Handle handle(rawHandle);
    const bool alpha = heif_image_handle_has_alpha_channel(handle.get());
    heif_image* rawImage = nullptr;
    // The default options apply the file's rotation and mirror.
    if (failed(heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, nullptr),
               error))
        return std::nullopt;
    Image image(rawImage);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    if (!plane || width <= 0 || height <= 0) {
        if (error) *error = QStringLiteral("no picture");
        return std::nullopt;
    }
    QImage result(width, height, alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    if (result.isNull()) {
        if (error) *error = QStringLiteral("out of memory");
        return std::nullopt;
    }
    const size_t row = size_t(width) * (alpha ? 4 : 3);
    for (int y = 0; y < height; ++y)
        std::memcpy(result.scanLine(y), plane + size_t(y) * size_t(stride), row);
    result.setColorSpace(colourSpaceOf(handle.get()));
    return Decoded{std::move(result), exifOf(handle.get())};
}

bool encode(const QImage& source, const QString& path, double quality, const QByteArray& exif,
            QString* error) {
    const bool alpha = source.hasAlphaChannel();
    const QImage pixels = source.convertToFormat(alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    heif_image* rawImage = nullptr;
    if (failed(heif_image_create(pixels.width(), pixels.height(), heif_colorspace_RGB,
                                 alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB,
                                 &rawImage),
               error))
        return false;
    Image image(rawImage);
    if (failed(
            heif_image_add_plane(image.get(), heif_channel_interleaved, pixels.width(), pixels.height(), 8),
            error))
        return false;
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(image.get(), heif_channel_interleaved, &stride);
    const size_t row = size_t(pixels.width()) * (alpha ? 4 : 3);
    for (int y = 0; y < pixels.height(); ++y)
        std::memcpy(plane + size_t(y) * size_t(stride), pixels.constScanLine(y), row);
    if (source.colorSpace().isValid()) {
        const QByteArray icc = source.colorSpace().iccProfile();
        if (!icc.isEmpty())
            heif_image_set_raw_color_profile(image.get(), "prof", icc.constData(), size_t(icc.size()));
    }

    Context context(heif_context_alloc());
    heif_encoder* rawEncoder = nullptr;
    if (failed(heif_context_get_encoder_for_format(context.get(), heif_compression_HEVC, &rawEncoder), error))
        return false;
    Encoder encoder(rawEncoder);
    heif_encoder_set_lossy_quality(encoder.get(), std::clamp(int(quality * 100 + 0.5), 0, 100));
    heif_image_handle* rawHandle = nullptr;
    if (failed(heif_context_encode_image(context.get(), image.get(), encoder.get(), nullptr, &rawHandle),
               error))
        return false;
    Handle handle(rawHandle);
    if (!exif.isEmpty() && failed(heif_context_add_exif_metadata(context.get(), handle.get(),
                                                                 exif.constData(), int(exif.size())),
                                  error))
        return false;
    // Written through our own file: libheif's own file writer does not look at the result.
    heif_writer writer{};
    writer.writer_api_version = 1;
    writer.write = [](heif_context*, const void* data, size_t size, void* userdata) {
        static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
        return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
    };
    QByteArray encoded;
    if (failed(heif_context_write(context.get(), &writer, &encoded), error)) return false;
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(encoded) == encoded.size() &&
        file.flush())
        return true;
    if (error) *error = file.errorString();
    return false;
}

} // namespace vesk::imageio::heif
