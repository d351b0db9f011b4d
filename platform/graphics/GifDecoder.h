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
    bool hasGraphicControl = false; // whether a graphic control extension gave the delay
};

struct GifAnimation {
    std::vector<GifFrame> frames;
    int loopCount = 0; // 0 = forever (or no loop extension)
    int width = 0;
    int height = 0;
};

// Decodes every frame of a GIF through giflib, composing each onto the canvas with its disposal.
// A file is measured before anything is allocated for it: a canvas over kMaxCanvasPixels, or
// composed frames that would take more than kMaxDecodedBytes together, is refused with an error,
// so a few hundred bytes that claim a huge screen cannot make the decoder take gigabytes.
class GifDecoder final {
public:
    static constexpr int64_t kMaxCanvasPixels = int64_t(1) << 24; // 4096 x 4096
    static constexpr int64_t kMaxDecodedBytes = int64_t(256) << 20;

    // std::nullopt, with the reason in *error, for bytes that are not a GIF or have no frames.
    static std::optional<GifAnimation> decode(std::span<const uint8_t> bytes, std::string* error = nullptr);
    // Only the first frame, for reading a GIF as a still image: one canvas and one frame's raster.
    static std::shared_ptr<Image> decodeFirstFrame(
        std::span<const uint8_t> bytes, std::string* error = nullptr);
    static std::optional<GifAnimation> decodeFile(const std::filesystem::path&, std::string* error = nullptr);
    static bool isGif(std::span<const uint8_t> bytes);
};

} // namespace graphics
