#pragma once

#include "platform/graphics/PixelBuffer.h"

#include <cstdint>

namespace graphics {

// Box convolution of four-channel 8-bit pixels with edge extension: pixels beyond the border
// repeat the edge pixel. Each output channel is the box's sum divided by its area, rounded to
// the nearest integer. The cost per pixel does not depend on the box size (running sums).
class BoxBlur final {
public:
    enum class Implementation { Best, Portable };

    // Side of the square kernel for a blur radius in points: three passes of this box
    // approximate a Gaussian of that radius. Always odd.
    static uint32_t boxSize(double radiusPoints, double scale);

    // One pass, `source` into `destination` (same size, distinct memory).
    static void convolve(const PixelBuffer& source, const PixelBuffer& destination, uint32_t boxSize,
        Implementation = Implementation::Best);
    // Three passes, A into B, B into A, A into B: the result is in `b`.
    static void convolveThreeTimes(
        const PixelBuffer& a, const PixelBuffer& b, uint32_t boxSize, Implementation = Implementation::Best);

    // Whether Implementation::Best runs vector code on this processor.
    static bool hasVectorPath();
};

} // namespace graphics
