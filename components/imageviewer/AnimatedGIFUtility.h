#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace graphics {
class Image;
}

// Turns GIF data into an animated image with an even rhythm: every frame's delay in hundredths
// of a second, the greatest common divisor of the delays as the step, and each frame repeated
// delay / step times (the same image object, not a copy). Frames without a graphic control
// extension count 1; a delay of 0 stays 0 and takes no place in the list.
class AnimatedGIFUtility final {
public:
    // True when the text ends in "gif", lower case, dot or not.
    static bool imageURLIsAGIF(const std::string& text);
    // nullptr when the data is no GIF, is refused by the decoder, or every delay is 0.
    static std::shared_ptr<graphics::Image> animatedImageWithAnimatedGIFData(std::span<const uint8_t> data);
    // A "file://" URL or a plain path of a GIF file.
    static std::shared_ptr<graphics::Image> animatedImageWithAnimatedGIFURL(const std::string& url);

    // Longer lists are refused (the data then reads as a still image): delays such as 1 and
    // 65535 in a small file would otherwise ask for billions of entries.
    static constexpr int64_t kMaxFrameListEntries = int64_t(1) << 16;

    struct Rhythm {
        std::vector<size_t> frameList; // frame indices, one per step; empty when refused
        int64_t totalCentiseconds {0};
        int32_t stepCentiseconds {0};
    };
    static Rhythm rhythmForDelays(const std::vector<int32_t>& delays);
    // gcd(0, x) = x.
    static int32_t greatestCommonDivisor(int32_t a, int32_t b);
};
