#pragma once

#include "platform/graphics/ImageDecoding.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace graphics {

class Image;

// PNG through libpng; converts between the image's premultiplied pixels and PNG's straight alpha.
class PngCodec final {
public:
    static std::optional<std::vector<uint8_t>> encode(const Image&, std::string* error = nullptr);
    // scaleDenominator 1 keeps the pixels; 2, 4 or 8 box-filter them down (PNG has no DCT trick).
    // A file of more than `maxPixels` is refused before anything is allocated for its pixels.
    static std::shared_ptr<Image> decode(std::span<const uint8_t> bytes, int scaleDenominator = 1,
        std::string* error = nullptr, int64_t maxPixels = kLocalMaxDecodePixels);
    static std::shared_ptr<Image> decodeFile(
        const std::filesystem::path&, int scaleDenominator = 1, std::string* error = nullptr);
    static bool isPng(std::span<const uint8_t> bytes);
};

} // namespace graphics
