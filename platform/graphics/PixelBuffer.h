#pragma once

#include <cstddef>
#include <cstdint>

namespace graphics {

class Image;

// A view of 32-bit four-channel pixels (premultiplied BGRA here); it owns nothing.
struct PixelBuffer {
    uint8_t* data = nullptr;
    int width = 0;
    int height = 0;
    size_t rowBytes = 0;

    uint8_t* row(int y) const { return data + static_cast<size_t>(y) * rowBytes; }
    static PixelBuffer of(Image&);
};

} // namespace graphics
