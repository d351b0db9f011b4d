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

// The whole file, or std::nullopt with the reason in *error.
std::optional<std::vector<uint8_t>> readImageFile(const std::filesystem::path&, std::string* error = nullptr);

} // namespace graphics
