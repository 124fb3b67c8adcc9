#include "VeskUI/Imaging/GaussianBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace vesk {

namespace {

std::vector<float> kernel(double sigma) {
    const int reach = int(std::ceil(3 * sigma));
    std::vector<float> weights(size_t(2 * reach + 1));
    double sum = 0;
    for (int i = -reach; i <= reach; ++i) {
        const double w = std::exp(-double(i) * i / (2 * sigma * sigma));
        weights[size_t(i + reach)] = float(w);
        sum += w;
    }
    for (float& w : weights)
        w = float(w / sum);
    return weights;
}

} // namespace

QImage gaussianBlurredAlpha(const QImage& alpha, double sigma) {
    if (alpha.format() != QImage::Format_Alpha8) return {};
    if (!(sigma > 0) || alpha.isNull()) return alpha.copy();

    const int width = alpha.width();
    const int height = alpha.height();
    const std::vector<float> weights = kernel(sigma);
    const int reach = int(weights.size() / 2);

    // Horizontal pass into floats. Each row is padded with transparent pixels so the
    // inner loops run over plain arrays and each tap is one multiply-add over a row.
    std::vector<float> across(size_t(width) * size_t(height), 0.0f);
    std::vector<float> padded(size_t(width + 2 * reach), 0.0f);
    for (int y = 0; y < height; ++y) {
        const uchar* source = alpha.constScanLine(y);
        bool empty = true;
        for (int x = 0; x < width; ++x) {
            padded[size_t(x + reach)] = source[x];
            empty = empty && source[x] == 0;
        }
        if (empty) continue;
        float* out = across.data() + size_t(y) * size_t(width);
        for (size_t tap = 0; tap < weights.size(); ++tap) {
            const float w = weights[tap];
            const float* in = padded.data() + tap;
            for (int x = 0; x < width; ++x)
                out[x] += w * in[x];
        }
    }

    // Vertical pass, row by row, rounding back to bytes.
    QImage result(width, height, QImage::Format_Alpha8);
    std::vector<float> row(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        std::fill(row.begin(), row.end(), 0.0f);
        const int first = std::max(0, y - reach);
        const int last = std::min(height - 1, y + reach);
        for (int source = first; source <= last; ++source) {
            const float w = weights[size_t(source - y + reach)];
            const float* in = across.data() + size_t(source) * size_t(width);
            for (int x = 0; x < width; ++x)
                row[size_t(x)] += w * in[x];
        }
        uchar* out = result.scanLine(y);
        for (int x = 0; x < width; ++x)
            out[x] = uchar(std::clamp(std::lround(row[size_t(x)]), 0L, 255L));
    }
    return result;
}

} // namespace vesk
