#include "platform/graphics/PngCodec.h"

#include "platform/graphics/Image.h"

namespace graphics {

std::optional<std::vector<uint8_t>> PngCodec::encode(const Image&, std::string*)
{
    return std::nullopt;
}
std::shared_ptr<Image> PngCodec::decode(std::span<const uint8_t>, int, std::string*)
{
    return nullptr;
}
std::shared_ptr<Image> PngCodec::decodeFile(const std::filesystem::path&, int, std::string*)
{
    return nullptr;
}
bool PngCodec::isPng(std::span<const uint8_t> b)
{
    return b.size() >= 8 && b[0] == 0x89 && b[1] == 'P';
}

} // namespace graphics
