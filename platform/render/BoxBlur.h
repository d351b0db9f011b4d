#pragma once

#include <cstdint>

namespace render {

// Blurs an 8-bit alpha mask in place with three passes of a box filter in each direction, which
// comes close to a Gaussian of the given standard deviation (in pixels) at a fraction of its cost.
class BoxBlur final {
public:
    static void blurAlpha(uint8_t* pixels, int width, int height, int stride, double sigma);
    // Half-width of each of the three boxes for a Gaussian of `sigma`.
    static int boxRadius(double sigma);
};

} // namespace render
