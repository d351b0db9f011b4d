#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace graphics {

class Image;

struct GifFrame {
    std::shared_ptr<Image> image; // the whole canvas after this frame was composed
    int delayCentiseconds = 0; // raw, unclamped: the viewer decides what 0 means
};

struct GifAnimation {
    std::vector<GifFrame> frames;
    int loopCount = 0; // 0 = forever (or no loop extension)
    int width = 0;
    int height = 0;
};

// Decodes every frame of a GIF through giflib, composing each onto the canvas with its disposal.
class GifDecoder final {
public:
    // std::nullopt, with the reason in *error, for bytes that are not a GIF or have no frames.
    static std::optional<GifAnimation> decode(std::span<const uint8_t> bytes, std::string* error = nullptr);
    static std::optional<GifAnimation> decodeFile(const std::filesystem::path&, std::string* error = nullptr);
    static bool isGif(std::span<const uint8_t> bytes);
};

} // namespace graphics
