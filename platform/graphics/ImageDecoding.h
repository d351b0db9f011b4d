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

// Decodes JPEG, PNG or GIF (first frame) by looking at the leading bytes.
std::shared_ptr<Image> decodeImage(std::span<const uint8_t> bytes, std::string* error = nullptr);
std::shared_ptr<Image> decodeImageFile(const std::filesystem::path&, std::string* error = nullptr);

// For showing on a screen of `screenPixels` (either way up): a JPEG is decoded at the smallest
// DCT scale (1/8, 1/4, 1/2) whose picture still covers the image's aspect fit on the screen in
// both orientations, so a 12-megapixel photo costs a fraction of a full decode; anything else
// is decoded whole.
std::shared_ptr<Image> decodeImageForScreen(std::span<const uint8_t> bytes, int screenPixelWidth,
    int screenPixelHeight, std::string* error = nullptr);
// The scale denominator decodeImageForScreen uses for a JPEG of that pixel size.
int screenScaleDenominator(int imageWidth, int imageHeight, int screenPixelWidth, int screenPixelHeight);

// The whole file, or std::nullopt with the reason in *error.
std::optional<std::vector<uint8_t>> readImageFile(const std::filesystem::path&, std::string* error = nullptr);

} // namespace graphics
