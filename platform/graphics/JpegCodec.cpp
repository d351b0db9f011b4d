#include "platform/graphics/JpegCodec.h"

#include "platform/graphics/Image.h"

namespace graphics {

std::optional<std::vector<uint8_t>> JpegCodec::encode(const Image&, int, std::string* error)
{
    if (error)
        *error = "not implemented";
    return std::nullopt;
}
std::shared_ptr<Image> JpegCodec::decode(std::span<const uint8_t>, int, std::string*)
{
    return nullptr;
}
std::shared_ptr<Image> JpegCodec::decodeFile(const std::filesystem::path&, int, std::string*)
{
    return nullptr;
}
std::optional<std::pair<int, int>> JpegCodec::scaledSize(std::span<const uint8_t>, int, std::string*)
{
    return std::nullopt;
}
bool JpegCodec::isJpeg(std::span<const uint8_t> b)
{
    return b.size() >= 3 && b[0] == 0xFF && b[1] == 0xD8;
}

} // namespace graphics
