#include "platform/render/BoxBlur.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace render {

int BoxBlur::boxRadius(double sigma)
{
    if (sigma <= 0)
        return 0;
    // Three boxes of width w have the variance 3 (w^2 - 1) / 12 = sigma^2.
    double width = std::sqrt(4 * sigma * sigma + 1);
    return std::max(1, int(std::lround((width - 1) / 2)));
}

namespace {

// One running-sum box pass over `count` samples spaced `step` apart.
void boxPass(const uint8_t* in, uint8_t* out, int count, int step, int radius)
{
    // Samples beyond the edges count as zero: callers pad the mask by the blur's reach.
    int window = 2 * radius + 1;
    int sum = 0;
    for (int i = 0; i <= std::min(radius, count - 1); ++i)
        sum += in[i * step];
    for (int i = 0; i < count; ++i) {
        out[i * step] = uint8_t((sum + window / 2) / window);
        if (i + radius + 1 < count)
            sum += in[(i + radius + 1) * step];
        if (i - radius >= 0)
            sum -= in[(i - radius) * step];
    }
}

} // namespace

void BoxBlur::blurAlpha(uint8_t* pixels, int width, int height, int stride, double sigma)
{
    int radius = boxRadius(sigma);
    if (radius == 0 || width <= 0 || height <= 0)
        return;
    std::vector<uint8_t> line(size_t(std::max(width, height)));
    std::vector<uint8_t> scratch(line.size());
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            uint8_t* row = pixels + size_t(y) * stride;
            std::copy(row, row + width, line.begin());
            boxPass(line.data(), row, width, 1, radius);
        }
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y)
                line[y] = pixels[size_t(y) * stride + x];
            boxPass(line.data(), scratch.data(), height, 1, radius);
            for (int y = 0; y < height; ++y)
                pixels[size_t(y) * stride + x] = scratch[y];
        }
    }
}

} // namespace render
