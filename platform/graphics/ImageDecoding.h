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

// The most pixels a file may claim: the app's own files (the camera's photos, its pictures), and
// images from the network (4096 x 4096: a 12-megapixel photo with room to spare).
constexpr int64_t kLocalMaxDecodePixels = int64_t(1) << 27;
constexpr int64_t kNetworkMaxDecodePixels = int64_t(1) << 24;

// What one decode may take. What a codec holds while decoding grows with the size the file claims
// (a PNG or a GIF frame whole, a progressive JPEG's coefficients of every block), so a claim over
// `maxPixels` is refused, with an error naming the size, before anything is allocated for it. A
// JPEG is decoded at the smallest DCT scale (1/8, 1/4, 1/2) whose picture still covers the
// image's aspect fit in `fitWidth` x `fitHeight` either way up (0 x 0: whole); PNG and GIF
// cannot scale while decoding and come whole.
struct DecodeBudget {
    int64_t maxPixels = kLocalMaxDecodePixels;
    int fitWidth = 0;
    int fitHeight = 0;

    // For an image from the network shown on a screen of that many pixels.
    static DecodeBudget forScreen(int screenPixelWidth, int screenPixelHeight)
    {
        return {kNetworkMaxDecodePixels, screenPixelWidth, screenPixelHeight};
    }
};

// Decodes JPEG, PNG or GIF (first frame) by looking at the leading bytes.
std::shared_ptr<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error = nullptr);
std::shared_ptr<Image> decodeImage(
    std::span<const uint8_t> bytes, const DecodeBudget& budget, std::string* error = nullptr);
std::shared_ptr<Image> decodeImageFile(const std::filesystem::path&, std::string* error = nullptr);

// For showing one of the app's own files on a screen of `screenPixels` (either way up): the
// DCT scale of DecodeBudget, so a 12-megapixel photo costs a fraction of a full decode.
std::shared_ptr<Image> decodeImageForScreen(std::span<const uint8_t> bytes, int screenPixelWidth,
    int screenPixelHeight, std::string* error = nullptr);
// The scale denominator decodeImageForScreen uses for a JPEG of that pixel size.
int screenScaleDenominator(int imageWidth, int imageHeight, int screenPixelWidth, int screenPixelHeight);

// The most bytes an image file of the app's own may hold: far above any photo the camera takes.
constexpr uint64_t kLocalMaxImageFileBytes = uint64_t(256) << 20;

// The whole file, when it is a regular file of at most `maxBytes` (foundation::RegularFile: a
// folder, FIFO, device or link is refused without blocking), or std::nullopt with the reason in
// *error.
std::optional<std::vector<uint8_t>> readImageFile(
    const std::filesystem::path&, std::string* error = nullptr, uint64_t maxBytes = kLocalMaxImageFileBytes);

} // namespace graphics
