#pragma once

#include "platform/graphics/PixelBuffer.h"

#include <array>
#include <cstdint>

namespace graphics {

// The colour-saturation change of the blur backdrop, as an integer 4 x 4 matrix over pixels in
// memory order blue, green, red, alpha (premultiplied). Entry [i * 4 + j] is the weight of input
// channel i in output channel j, in 1/256ths.
class SaturationMatrix final {
public:
    static constexpr int32_t kDivisor = 256;
    using Matrix = std::array<int16_t, 16>;

    // Luminance weights 0.0722 blue, 0.7152 green, 0.2126 red; a factor of 1 leaves colours as they
    // are, 0 makes them grey, above 1 strengthens them.
    static Matrix make(double saturationFactor);

    // destination = source x matrix / 256, rounded to the nearest integer and clamped to 0..255.
    // Colour channels are also kept at or below alpha so the result stays valid premultiplied
    // data. Source and destination may be the same buffer.
    static void apply(const PixelBuffer& source, const PixelBuffer& destination, const Matrix&);
};

} // namespace graphics
