#pragma once

#include "platform/graphics/Forward.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace media {

// Thumbnails of taken media, as JPEG bytes that fit in kMaximumWidth x kMaximumHeight pixels
// (aspect ratio kept, never enlarged): two grid cells' worth of a phone screen at scale 2. A
// photo's thumbnail comes from its own JPEG, decoded at the coarsest DCT scale that still covers
// the box and then area-averaged down; a video's from its first frame.
class Thumbnailer final {
public:
    static constexpr int kMaximumWidth = 160;
    static constexpr int kMaximumHeight = 120;
    static constexpr int kQuality = 80;

    static std::optional<std::vector<uint8_t>> fromJpeg(
        std::span<const uint8_t> jpeg, std::string* error = nullptr);
    static std::optional<std::vector<uint8_t>> fromVideo(
        const std::filesystem::path& movie, std::string* error = nullptr);

    // The size that fits width x height into the box, aspect ratio kept, never enlarged, at least 1 x 1.
    static std::pair<int, int> fittingSize(int width, int height, int maximumWidth, int maximumHeight);
    // 8, 4, 2 or 1: the largest DCT scale denominator at which the picture still covers its fitting size.
    static int dctScaleDenominator(int width, int height, int maximumWidth, int maximumHeight);
    // Area-averaged copy that fits in the box (the image itself when it already fits).
    static std::shared_ptr<graphics::Image> scaledToFit(
        const std::shared_ptr<graphics::Image>&, int maximumWidth, int maximumHeight);
};

} // namespace media
