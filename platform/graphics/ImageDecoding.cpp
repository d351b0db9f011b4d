#include "platform/graphics/ImageDecoding.h"

#include "platform/graphics/Image.h"

namespace graphics {

std::shared_ptr<Image> decodeImage(std::span<const uint8_t>, std::string*)
{
    return nullptr;
}
std::shared_ptr<Image> decodeImageFile(const std::filesystem::path&, std::string*)
{
    return nullptr;
}

} // namespace graphics
