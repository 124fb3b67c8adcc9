#include "VeskPlatform/ImageIO/JpegIntegrity.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jerror.h>
#include <jpeglib.h>

namespace vesk::imageio::jpeg {

namespace {

// Walks the markers from the start to the end marker, stepping over each segment by its
// length and over each scan's entropy-coded data. True when the end marker is reached.
bool reachesEndMarker(const QByteArray& jpeg) {
    const auto* data = reinterpret_cast<const unsigned char*>(jpeg.constData());
    const qsizetype size = jpeg.size();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
    qsizetype at = 2;
    for (;;) {
        if (at >= size || data[at] != 0xFF) return false;
        while (at < size && data[at] == 0xFF)
            ++at;
        if (at >= size) return false;
        const unsigned char marker = data[at++];
        if (marker == 0xD9) return true;
        // Markers without a length.
        if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) continue;
        if (at + 2 > size) return false;
        const qsizetype length = (qsizetype(data[at]) << 8) | data[at + 1];
        if (length < 2 || at + length > size) return false;
        at += length;
        if (marker != 0xDA) continue;
        // Entropy-coded data runs to the next marker that is neither a stuffed zero nor
        // a restart.
        for (;;) {
            const void* found = std::memchr(data + at, 0xFF, size_t(size - at));
            if (!found) return false;
            at = static_cast<const unsigned char*>(found) - data;
            if (at + 1 >= size) return false;
            const unsigned char next = data[at + 1];
            if (next == 0x00 || (next >= 0xD0 && next <= 0xD7) || next == 0xFF) {
                at += next == 0xFF ? 1 : 2;
                continue;
            }
            break;
        }
    }
}

struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf escape;
    // The data ran out, or a marker came, inside a scan.
    bool dataMissing = false;
    // The file ended before its end marker.
    bool endedEarly = false;
    bool severalScans = false;
};

void onError(j_common_ptr info) {
    std::longjmp(reinterpret_cast<Errors*>(info->err)->escape, 1);
}

void onMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    auto* errors = reinterpret_cast<Errors*>(info->err);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->progressive_mode || decompress->comps_in_scan < decompress->num_components)
        errors->severalScans = true;
    if (info->err->msg_code == JWRN_HIT_MARKER) errors->dataMissing = true;
    if (info->err->msg_code == JWRN_JPEG_EOF) errors->endedEarly = true;
}

} // namespace

bool isTruncated(const QByteArray& jpeg) {
    if (reachesEndMarker(jpeg)) return false;
    // Entropy decoding only (no pixels made) tells a cut scan from a missing end marker.
    jpeg_decompress_struct info{};
    Errors errors{};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onError;
    errors.manager.emit_message = onMessage;
    if (setjmp(errors.escape)) {
        jpeg_destroy_decompress(&info);
        // Whatever stopped the decoder, the picture cannot be whole.
        return true;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(jpeg.constData()), (unsigned long)jpeg.size());
    jpeg_read_header(&info, TRUE);
    jpeg_read_coefficients(&info);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return errors.dataMissing || (errors.endedEarly && errors.severalScans);
}

} // namespace vesk::imageio::jpeg
