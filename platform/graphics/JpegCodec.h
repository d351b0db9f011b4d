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

// JPEG through TurboJPEG (4:2:0, TurboJPEG's default DCT). Decoding can scale by 1/2, 1/4 or
// 1/8 inside the DCT, which is how thumbnails are made cheaply.
class JpegCodec final {
public:
    // Alpha is dropped (the image is composited on black, as premultiplied data already is).
    static std::optional<std::vector<uint8_t>> encode(
        const Image&, int quality, std::string* error = nullptr);
    // nullptr on failure, with the reason in *error. A truncated or corrupt stream fails: a
    // partly grey picture is worse than none; a warning about the header alone does not. A file
    // of more than `maxPixels` (at full size, whatever the scale) is refused before decoding.
    static std::shared_ptr<Image> decode(std::span<const uint8_t> bytes, int scaleDenominator = 1,
        std::string* error = nullptr, int64_t maxPixels = kLocalMaxDecodePixels);
    static std::shared_ptr<Image> decodeFile(
        const std::filesystem::path&, int scaleDenominator = 1, std::string* error = nullptr);
    // Pixel size of the image at a scale, read from the header alone.
    static std::optional<std::pair<int, int>> scaledSize(
        std::span<const uint8_t> bytes, int scaleDenominator = 1, std::string* error = nullptr);
    static bool isJpeg(std::span<const uint8_t> bytes);
    // The EXIF orientation tag (1 to 8) of the file's first APP1 segment; 1 when there is none
    // or it cannot be read. decode() sets the image's orientation from it.
    static int exifOrientation(std::span<const uint8_t> bytes);
};

} // namespace graphics
