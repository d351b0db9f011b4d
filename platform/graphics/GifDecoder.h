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

// Decodes every frame of a GIF through giflib's record reader, composing each onto the canvas with
// its disposal. Each frame is checked against the budget when giflib has read its descriptor and
// before anything is allocated for its pixels: a canvas or a frame over the canvas limit, or frames
// that would take more than kMaxDecodedBytes together, are refused with an error naming the size,
// so a few hundred bytes that claim a huge screen cannot make the decoder take gigabytes.
class GifDecoder final {
public:
    static constexpr int64_t kMaxCanvasPixels = int64_t(1) << 24; // 4096 x 4096
    static constexpr int64_t kMaxDecodedBytes = int64_t(256) << 20;
    // What each kept frame costs besides its pixels (the image, giflib's record of it).
    static constexpr int64_t kFrameOverheadBytes = 1024;

    // std::nullopt, with the reason in *error, for bytes that are not a GIF, have no frames or
    // pass the budget.
    static std::optional<GifAnimation> decode(std::span<const uint8_t> bytes, std::string* error = nullptr,
        int64_t maxCanvasPixels = kMaxCanvasPixels);
    // Only the first frame, for reading a GIF as a still image: one canvas and one frame's raster.
    static std::shared_ptr<Image> decodeFirstFrame(std::span<const uint8_t> bytes,
        std::string* error = nullptr, int64_t maxCanvasPixels = kMaxCanvasPixels);
    static std::optional<GifAnimation> decodeFile(const std::filesystem::path&, std::string* error = nullptr);
    static bool isGif(std::span<const uint8_t> bytes);
};

} // namespace graphics
