#include "platform/graphics/GifDecoder.h"

#include "platform/graphics/Image.h"

namespace graphics {

std::optional<GifAnimation> GifDecoder::decode(std::span<const uint8_t>, std::string*)
{
    return std::nullopt;
}
std::optional<GifAnimation> GifDecoder::decodeFile(const std::filesystem::path&, std::string*)
{
    return std::nullopt;
}
bool GifDecoder::isGif(std::span<const uint8_t> b)
{
    return b.size() >= 6 && b[0] == 'G' && b[1] == 'I';
}

} // namespace graphics
