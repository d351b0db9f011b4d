#pragma once

#include "platform/graphics/Image.h"
#include "platform/graphics/PixelBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace graphicstest {

// A pixel buffer with its own storage and some slack at the end of each row, so that code which
// confuses width and row bytes shows up.
struct OwnedBuffer {
    int width;
    int height;
    size_t rowBytes;
    std::vector<uint8_t> bytes;

    OwnedBuffer(int w, int h)
        : width(w)
        , height(h)
        , rowBytes(4 * static_cast<size_t>(w) + 12)
        , bytes(rowBytes * static_cast<size_t>(h), 0)
    { }
    graphics::PixelBuffer view() { return {bytes.data(), width, height, rowBytes}; }
    uint8_t& at(int x, int y, int c) { return bytes[static_cast<size_t>(y) * rowBytes + 4 * x + c]; }
};

inline OwnedBuffer randomBuffer(int w, int h, unsigned seed)
{
    OwnedBuffer buffer(w, h);
    std::mt19937 rng(seed);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c)
                buffer.at(x, y, c) = static_cast<uint8_t>(rng());
    return buffer;
}

// The definition, computed the slow way: every output channel is the rounded mean of the
// box x box window around it, with coordinates outside the image clamped to the edge.
inline OwnedBuffer referenceBox(OwnedBuffer& src, int box)
{
    OwnedBuffer out(src.width, src.height);
    const int r = box / 2;
    const long area = static_cast<long>(box) * box;
    for (int y = 0; y < src.height; ++y)
        for (int x = 0; x < src.width; ++x)
            for (int c = 0; c < 4; ++c) {
                long sum = 0;
                for (int dy = -r; dy <= r; ++dy)
                    for (int dx = -r; dx <= r; ++dx)
                        sum += src.at(
                            std::clamp(x + dx, 0, src.width - 1), std::clamp(y + dy, 0, src.height - 1), c);
                out.at(x, y, c) = static_cast<uint8_t>((sum + area / 2) / area);
            }
    return out;
}

inline void expectSamePixels(OwnedBuffer& actual, OwnedBuffer& expected, const char* what)
{
    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            for (int c = 0; c < 4; ++c)
                ASSERT_EQ(actual.at(x, y, c), expected.at(x, y, c))
                    << what << " at (" << x << ", " << y << ") channel " << c;
}

// The image's pixels, channel c being bits 8c to 8c + 7 of the 0xAARRGGBB value.
inline OwnedBuffer fromImage(const graphics::Image& image)
{
    OwnedBuffer out(image.pixelWidth(), image.pixelHeight());
    for (int y = 0; y < out.height; ++y)
        for (int x = 0; x < out.width; ++x)
            for (int c = 0; c < 4; ++c)
                out.at(x, y, c) = static_cast<uint8_t>(image.pixel(x, y) >> (8 * c));
    return out;
}

} // namespace graphicstest
